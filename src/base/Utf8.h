#pragma once
#include <string>
#include <string_view>

namespace larkspan {

// UTF-8 in both directions, whatever the locale: protocol texts, the deployment addresses,
// tests, and the messages of a program that shows no windows. A byte sequence that is not
// UTF-8 decodes to U+FFFD, and so does an unpaired surrogate on the way out.
std::u16string FromUtf8(std::string_view utf8);
std::string ToUtf8(std::u16string_view wide);

}  // namespace larkspan
