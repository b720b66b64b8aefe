#pragma once
// Units, fonts, colours and texts as the Win32 controls take them.
#include <windows.h>

#include <string>

#include "ui/Layout.h"

namespace larkspan {

// The screen's dots per inch at which a window is laid out: twips are 15 to the pixel at 96
// and scale with the monitor the window stands on.
struct Win32Scale {
  UINT dpi = USER_DEFAULT_SCREEN_DPI;
  int Pixels(int twips) const;
  RECT Place(const ControlLayout& control) const;
  // A picture's own size at 96 dots per inch, at this scale.
  int FromDefault(int pixels) const;
};

// The monitor's dots per inch where the window stands (the system's on Windows before 10).
UINT WindowDpi(HWND window);
// AdjustWindowRectEx at the given dots per inch where Windows can do that.
void AdjustForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);

// The font of a layout at a scale. Fonts are made once per family, size, weight and scale
// and kept for the program's life: the windows share a handful of them.
HFONT FontAt(const Font& font, UINT dpi);
COLORREF ToColorRef(Rgb color);
// A solid brush of the colour, made once and kept.
HBRUSH SolidBrush(Rgb color);

// The text with every line break as CR LF, as the edit control and DrawText expect it.
std::wstring WithCrLf(const std::u16string& text);

// A device context for measuring texts, kept for the program's life.
HDC MeasuringDc();

}  // namespace larkspan
