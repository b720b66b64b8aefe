#pragma once
#include <string>
#include <string_view>

#include "base/Utf8.h"  // FromUtf8 and ToUtf8, whatever the locale

namespace larkspan {

// The one place where program texts (UTF-16) meet the narrow texts of the system: files,
// the registry store, URLs, the shell. The narrow side is the system's ANSI code page on
// Windows; on Linux the locale's character set, and UTF-8 where the locale is plain C/POSIX.
// Decoding never fails. On Linux a byte that is not valid in the character set becomes U+FFFD,
// and an unpaired surrogate is written as U+FFFD too; on Windows the code page's own rules
// apply, and what it lacks is written as "?".
std::u16string ToWide(std::string_view narrow);
std::string ToNarrow(std::u16string_view wide);

}  // namespace larkspan
