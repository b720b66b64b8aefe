#include "ui/win32/Win32Look.h"

#include <cmath>
#include <map>
#include <tuple>

namespace larkspan {

int Win32Scale::Pixels(int twips) const {
  return static_cast<int>(
      std::lround(static_cast<double>(twips) * dpi / (kTwipsPerPixel * USER_DEFAULT_SCREEN_DPI)));
}

RECT Win32Scale::Place(const ControlLayout& control) const {
  const int left = Pixels(control.left), top = Pixels(control.top);
  return {left, top, left + Pixels(control.width), top + Pixels(control.height)};
}

int Win32Scale::FromDefault(int pixels) const {
  return MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

// Looked up rather than linked: Windows before 10 has neither call, and the program still runs
// there at the system's scale.
UINT WindowDpi(HWND window) {
  using GetDpi = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<GetDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpi != nullptr && window != nullptr) {
    if (const UINT dpi = getDpi(window); dpi != 0) return dpi;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

void AdjustForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
  using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = reinterpret_cast<Adjust>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
  if (adjust == nullptr || !adjust(&rect, style, FALSE, exStyle, dpi)) {
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  }
}

HFONT FontAt(const Font& font, UINT dpi) {
  static std::map<std::tuple<std::string, double, bool, UINT>, HFONT> made;
  const auto key = std::tuple(font.family, font.points, font.bold, dpi);
  if (auto found = made.find(key); found != made.end()) return found->second;
  LOGFONTW wanted{};
  wanted.lfHeight = -static_cast<LONG>(std::lround(font.points * dpi / 72.0));
  wanted.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  wanted.lfCharSet = DEFAULT_CHARSET;
  wanted.lfQuality = DEFAULT_QUALITY;
  // Family names are ASCII in every layout.
  for (std::size_t i = 0; i < font.family.size() && i + 1 < LF_FACESIZE; ++i) {
    wanted.lfFaceName[i] = static_cast<wchar_t>(font.family[i]);
  }
  HFONT handle = CreateFontIndirectW(&wanted);
  made.emplace(key, handle);
  return handle;
}

COLORREF ToColorRef(Rgb color) {
  return RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
}

HBRUSH SolidBrush(Rgb color) {
  static std::map<Rgb, HBRUSH> made;
  auto [place, isNew] = made.try_emplace(color, nullptr);
  if (isNew) place->second = CreateSolidBrush(ToColorRef(color));
  return place->second;
}

std::wstring WithCrLf(const std::u16string& text) {
  std::wstring result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      result += L"\r\n";
    } else {
      result += static_cast<wchar_t>(c);
    }
  }
  return result;
}

HDC MeasuringDc() {
  static const HDC dc = CreateCompatibleDC(nullptr);
  return dc;
}

}  // namespace larkspan
