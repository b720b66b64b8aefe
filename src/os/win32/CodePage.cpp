#include "os/CodePage.h"

#include <windows.h>

namespace larkspan {
namespace {

// The UTF-8 code page takes no replacement character and no flags.
bool AnsiIsUtf8() {
  return GetACP() == CP_UTF8;
}

}  // namespace

std::u16string ToWide(std::string_view narrow) {
  if (narrow.empty()) return {};
  const int size = static_cast<int>(narrow.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, narrow.data(), size, nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, narrow.data(), size, reinterpret_cast<wchar_t*>(wide.data()),
                      length);
  return wide;
}

std::string ToNarrow(std::u16string_view wide) {
  if (wide.empty()) return {};
  const auto* text = reinterpret_cast<const wchar_t*>(wide.data());
  const int size = static_cast<int>(wide.size());
  // A character that the code page lacks becomes "?" rather than a look-alike: a best-fit
  // letter could turn one file name into another.
  const bool utf8 = AnsiIsUtf8();
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* replacement = utf8 ? nullptr : "?";
  const int length =
      WideCharToMultiByte(CP_ACP, flags, text, size, nullptr, 0, replacement, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, flags, text, size, narrow.data(), length, replacement, nullptr);
  return narrow;
}

}  // namespace larkspan
