#pragma once
#include <string>
#include <string_view>

namespace larkspan {

// The argument text of a process's command line as Windows hands it over: everything after
// the program's path (quoted, up to the closing quote, or unquoted, up to the first blank)
// and the blanks that follow it, unchanged otherwise.
std::u16string ArgumentText(std::u16string_view commandLine);

}  // namespace larkspan
