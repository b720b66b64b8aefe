#include "os/UserLocale.h"

#include <windows.h>

namespace larkspan {

// The C runtime's locale stays "C" in a Windows program unless it sets one; the user's choice
// lives in the user locale. A separator longer than one character is rare: its first counts.
char16_t SystemDecimalSeparator() {
  static const char16_t separator = [] {
    wchar_t text[8] = L"";
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, text, 8) < 2) return u'.';
    return static_cast<char16_t>(text[0]);
  }();
  return separator;
}

}  // namespace larkspan
