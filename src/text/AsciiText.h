#pragma once
// The two small text rules that the program applies in many places: the blank trim, and case
// folding of the ASCII letters only (protocol names, "<head>", "Error", the operation names).
#include <algorithm>
#include <string>
#include <string_view>

namespace larkspan {

// Removes the blank (code 32) at both ends; tabs and line breaks stay.
std::u16string TrimBlanks(std::u16string_view text);

template <class Char>
constexpr Char AsciiLowerUnit(Char c) {
  return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

template <class Char>
std::basic_string<Char> AsciiLower(std::basic_string_view<Char> text) {
  std::basic_string<Char> lower(text);
  for (Char& c : lower) c = AsciiLowerUnit(c);
  return lower;
}
inline std::u16string AsciiLower(std::u16string_view text) {
  return AsciiLower<char16_t>(text);
}
inline std::string AsciiLower(std::string_view text) {
  return AsciiLower<char>(text);
}

template <class Char>
bool EqualsIgnoringAsciiCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](Char x, Char y) { return AsciiLowerUnit(x) == AsciiLowerUnit(y); });
}
inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return EqualsIgnoringAsciiCase<char>(a, b);
}
inline bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  return EqualsIgnoringAsciiCase<char16_t>(a, b);
}

}  // namespace larkspan
