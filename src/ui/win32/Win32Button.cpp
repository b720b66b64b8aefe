#include "ui/win32/Win32Button.h"

#include <uxtheme.h>
#include <vssym32.h>

namespace larkspan {
namespace {

constexpr int kPictureGap = 4;  // between the picture and the caption, at 96 dots per inch
constexpr BYTE kDisabledOpacity = 110;

// The push button's face in the system's look: themed where a theme is on, classic elsewhere.
void DrawFace(HWND button, HDC dc, RECT box, UINT state) {
  const bool pressed = (state & ODS_SELECTED) != 0, disabled = (state & ODS_DISABLED) != 0;
  if (HTHEME theme = OpenThemeData(button, L"BUTTON")) {
    const int part = disabled                   ? PBS_DISABLED
                     : pressed                  ? PBS_PRESSED
                     : (state & ODS_FOCUS) != 0 ? PBS_DEFAULTED
                                                : PBS_NORMAL;
    DrawThemeParentBackground(button, dc, &box);
    DrawThemeBackground(theme, dc, BP_PUSHBUTTON, part, &box, nullptr);
    CloseThemeData(theme);
    return;
  }
  DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
}

}  // namespace

Win32Button::Win32Button(const ControlLayout& layout, Win32Surface& surface, const Font& font,
                         int id)
    : Win32Control(layout), surface_(surface), font_(font) {
  const DWORD style = WS_CHILD | BS_OWNERDRAW | (layout.tabStop ? WS_TABSTOP : 0);
  button_ = CreateWindowExW(0, L"BUTTON", L"", style, 0, 0, 0, 0, surface.Handle(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
  surface.AddChild(button_, *this);
  Place();
  Reset();
}

Win32Button::~Win32Button() {
  DestroyWindow(button_);
}

void Win32Button::SetCaption(const std::u16string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  // The window text is what accessibility tools and the tests read; the face is drawn here.
  SetWindowTextW(button_, WithCrLf(caption).c_str());
}

// The button's own visibility, whether or not its window shows.
bool Win32Button::Visible() const {
  return (GetWindowLongW(button_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Button::SetVisible(bool visible) {
  if (Visible() == visible) return;
  // The focus leaves a button that hides, for the next one in the tab order.
  if (!visible && GetFocus() == button_) {
    HWND top = GetAncestor(button_, GA_ROOT);
    ShowWindow(button_, SW_HIDE);
    if (HWND next = GetNextDlgTabItem(top, button_, FALSE); next != nullptr && next != button_) {
      SetFocus(next);
    }
    return;
  }
  ShowWindow(button_, visible ? SW_SHOWNA : SW_HIDE);
  // With no shown button to take it, the focus went back to the window itself (Windows moves
  // it to the parent of a hidden window); the next button that shows takes it, so that the
  // keys and screen readers never lose it (the download window swaps both buttons).
  if (visible && GetFocus() == GetAncestor(button_, GA_ROOT)) SetFocus(button_);
}

void Win32Button::SetEnabled(bool enabled) {
  EnableWindow(button_, enabled ? TRUE : FALSE);
}

void Win32Button::Reset() {
  SetVisible(Layout().visible);
  SetEnabled(Layout().enabled);
  SetCaption(Layout().caption);
}

void Win32Button::Place() {
  const RECT box = surface_.Scale().Place(Layout());
  SetWindowPos(button_, nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  picture_ = LoadPicture(Layout().picture, surface_.Scale().dpi);
  InvalidateRect(button_, nullptr, TRUE);
}

RECT Win32Button::Bounds() const {
  return surface_.Scale().Place(Layout());
}

void Win32Button::Command(WORD code) {
  if (code == BN_CLICKED) Click();
}

void Win32Button::Click() {
  if (Visible() && IsWindowEnabled(button_) && onClick) onClick();
}

// The picture and the caption side by side, centred together on the face.
void Win32Button::DrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT box = item.rcItem;
  DrawFace(button_, dc, box, item.itemState);
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const std::wstring text = WithCrLf(caption_);
  HGDIOBJ previous = SelectObject(dc, FontAt(font_, surface_.Scale().dpi));
  RECT textBox{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textBox, DT_CALCRECT | DT_NOPREFIX);
  const SIZE picture = picture_ ? picture_->Size() : SIZE{0, 0};
  const int gap = picture.cx > 0 && !text.empty() ? surface_.Scale().FromDefault(kPictureGap) : 0;
  const int width = picture.cx + gap + textBox.right;
  const int shift = (item.itemState & ODS_SELECTED) != 0 ? 1 : 0;
  int x = box.left + (box.right - box.left - width) / 2 + shift;
  const int middle = (box.top + box.bottom) / 2 + shift;
  if (picture_) {
    picture_->Draw(dc, x, middle - picture.cy / 2, disabled ? kDisabledOpacity : 255);
    x += picture.cx + gap;
  }
  RECT caption{x, middle - textBox.bottom / 2, x + textBox.right,
               middle - textBox.bottom / 2 + textBox.bottom};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT)
                            : ToColorRef(Layout().foreColor.value_or(0x000000)));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &caption, DT_NOPREFIX);
  SelectObject(dc, previous);
  if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
    RECT focus = box;
    InflateRect(&focus, -surface_.Scale().FromDefault(3), -surface_.Scale().FromDefault(3));
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace larkspan
