#include "ui/win32/Win32Widgets.h"

#include <commctrl.h>

#include <algorithm>

namespace larkspan {
namespace {

void PlaceWindow(HWND window, const RECT& box) {
  SetWindowPos(window, nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowAsLaidOut(HWND window, const ControlLayout& layout) {
  ShowWindow(window, layout.visible ? SW_SHOWNA : SW_HIDE);
  EnableWindow(window, layout.enabled ? TRUE : FALSE);
}

}  // namespace

// Locked text cannot be changed but can still be selected and copied; the border is the flat
// one-pixel line of the layout's flat appearance.
Win32TextBox::Win32TextBox(const ControlLayout& layout, Win32Surface& surface, const Font& font)
    : Win32Control(layout), surface_(surface), font_(font) {
  DWORD style = WS_CHILD | WS_BORDER | ES_LEFT | ES_NOHIDESEL;
  if (layout.multiLine) style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (layout.verticalScrollBar) style |= WS_VSCROLL;
  if (layout.locked) style |= ES_READONLY;
  if (layout.tabStop) style |= WS_TABSTOP;
  edit_ = CreateWindowExW(0, L"EDIT", L"", style, 0, 0, 0, 0, surface.Handle(), nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  surface.AddChild(edit_, *this);
  Place();
  Reset();
}

Win32TextBox::~Win32TextBox() {
  DestroyWindow(edit_);
}

void Win32TextBox::SetText(const std::u16string& text) {
  if (text == text_) return;
  text_ = text;
  SetWindowTextW(edit_, WithCrLf(text).c_str());
}

void Win32TextBox::Reset() {
  ShowAsLaidOut(edit_, Layout());
  SetText(Layout().caption);
}

void Win32TextBox::Place() {
  PlaceWindow(edit_, surface_.Scale().Place(Layout()));
  SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(FontAt(font_, surface_.Scale().dpi)),
               TRUE);
}

// A read-only edit asks as a static does; both get the layout's colours.
HBRUSH Win32TextBox::ColorFor(HDC dc) {
  const Rgb back = Layout().backColor.value_or(0xFFFFFF);
  SetTextColor(dc, ToColorRef(Layout().foreColor.value_or(0x000000)));
  SetBkColor(dc, ToColorRef(back));
  return SolidBrush(back);
}

Win32ProgressBar::Win32ProgressBar(const ControlLayout& layout, Win32Surface& surface)
    : Win32Control(layout), surface_(surface) {
  bar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0,
                         surface.Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  surface.AddChild(bar_, *this);
  Place();
  Reset();
}

Win32ProgressBar::~Win32ProgressBar() {
  DestroyWindow(bar_);
}

// A maximum of 0 would leave nothing to fill; the bar just stays empty.
void Win32ProgressBar::SetMax(int maximum) {
  maximum = std::max(maximum, 1);
  if (maximum == maximum_) return;
  maximum_ = maximum;
  SendMessageW(bar_, PBM_SETRANGE32, 0, maximum_);
  value_ = -1;
  SetValue(0);
}

// The download sets the bar after every kilobyte: a value that it already shows costs nothing.
void Win32ProgressBar::SetValue(int value) {
  value = std::clamp(value, 0, maximum_);
  if (value == value_) return;
  value_ = value;
  SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void Win32ProgressBar::Reset() {
  ShowAsLaidOut(bar_, Layout());
  maximum_ = 0;
  SetMax(Layout().maximum);
}

void Win32ProgressBar::Place() {
  PlaceWindow(bar_, surface_.Scale().Place(Layout()));
}

Win32Frame::Win32Frame(const ControlLayout& layout, Win32Surface& parent, Win32Scale& scale)
    : Win32Control(layout),
      // Its children take part in the tab order of the window.
      surface_(&parent, scale, layout.backColor.value_or(0xFFFFFF), WS_CHILD | WS_CLIPCHILDREN,
               WS_EX_CONTROLPARENT, scale.Place(layout)) {
  Reset();
}

void Win32Frame::Reset() {
  ShowAsLaidOut(surface_.Handle(), Layout());
}

void Win32Frame::Place() {
  PlaceWindow(surface_.Handle(), surface_.Scale().Place(Layout()));
  InvalidateRect(surface_.Handle(), nullptr, FALSE);
}

Win32Timer::Win32Timer(const ControlLayout& layout, HWND window, UINT_PTR id)
    : Win32Control(layout), window_(window), id_(id) {
  Reset();
}

Win32Timer::~Win32Timer() {
  KillTimer(window_, id_);
}

void Win32Timer::Reset() {
  ResetTo(Layout().interval);
}

void Win32Timer::OnWindowLoaded() {
  if (Layout().enabled) SetEnabled(true);
}

}  // namespace larkspan
