#pragma once
// Program texts are UTF-16, and so are the W calls' wchar_t texts on Windows: they pass as
// they stand, no conversion.
#include <string>
#include <string_view>

namespace larkspan {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the W calls take UTF-16");

inline const wchar_t* WideChars(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline std::u16string FromWideChars(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

}  // namespace larkspan
