#include "ui/win32/Win32Painted.h"

#include <algorithm>

namespace larkspan {

Win32Label::Win32Label(const ControlLayout& layout, Win32Surface& surface, const Font& font)
    : Win32Control(layout), surface_(surface), font_(font) {
  surface.AddPainted(*this);
  Reset();
}

void Win32Label::SetCaption(const std::u16string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  text_ = WithCrLf(caption);
  Fit();
  surface_.NameChanged(*this);
}

void Win32Label::SetForeColor(Rgb color) {
  if (color == foreColor_) return;
  foreColor_ = color;
  surface_.Invalidate(bounds_);
}

void Win32Label::Reset() {
  foreColor_ = Layout().foreColor.value_or(0x000000);
  caption_ = Layout().caption;
  text_ = WithCrLf(caption_);
  Place();
}

void Win32Label::Place() {
  surface_.Invalidate(bounds_);
  bounds_ = surface_.Scale().Place(Layout());
  Fit();
}

UINT Win32Label::DrawFlags() const {
  return DT_LEFT | DT_TOP | DT_NOPREFIX | (Layout().wordWrap ? DT_WORDBREAK : 0);
}

RECT Win32Label::TextExtent() const {
  const RECT place = surface_.Scale().Place(Layout());
  RECT extent{0, 0, Layout().wordWrap ? place.right - place.left : 0, 0};
  HDC dc = MeasuringDc();
  HGDIOBJ previous = SelectObject(dc, FontAt(font_, surface_.Scale().dpi));
  DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &extent, DrawFlags() | DT_CALCRECT);
  SelectObject(dc, previous);
  OffsetRect(&extent, bounds_.left, bounds_.top);
  return extent;
}

// A label that sizes itself takes the size of its text; a wrapping one keeps its width and
// grows downwards as far as the wrapped text needs. Others keep the layout's box.
void Win32Label::Fit() {
  const RECT before = bounds_;
  const RECT place = surface_.Scale().Place(Layout());
  if (Layout().autoSize || Layout().wordWrap) {
    const RECT extent = TextExtent();
    if (Layout().autoSize) {
      bounds_ = {place.left, place.top, extent.right, extent.bottom};
    } else {
      bounds_ = {place.left, place.top, place.right, std::max(place.bottom, extent.bottom)};
    }
  }
  RECT changed;
  UnionRect(&changed, &before, &bounds_);
  surface_.Invalidate(changed);
}

void Win32Label::Paint(HDC dc) const {
  RECT box = bounds_;
  HGDIOBJ previous = SelectObject(dc, FontAt(font_, surface_.Scale().dpi));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(foreColor_));
  DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &box, DrawFlags());
  SelectObject(dc, previous);
}

Win32Image::Win32Image(const ControlLayout& layout, Win32Surface& surface)
    : Win32Control(layout), surface_(surface) {
  surface.AddPainted(*this);
  Place();
}

// A picture shows at its own size from the top left corner, or stretched over its box.
void Win32Image::Place() {
  surface_.Invalidate(bounds_);
  bounds_ = surface_.Scale().Place(Layout());
  const UINT dpi = surface_.Scale().dpi;
  picture_ = Layout().stretch ? LoadPicture(Layout().picture, dpi, bounds_.right - bounds_.left,
                                            bounds_.bottom - bounds_.top)
                              : LoadPicture(Layout().picture, dpi);
  surface_.Invalidate(bounds_);
}

void Win32Image::Paint(HDC dc) const {
  if (picture_ == nullptr) return;
  // Clipped to the box, as a picture larger than its control is.
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, bounds_.left, bounds_.top, bounds_.right, bounds_.bottom);
  picture_->Draw(dc, bounds_.left, bounds_.top);
  RestoreDC(dc, saved);
}

HCURSOR Win32Image::Cursor() const {
  return Layout().handCursor ? HandCursor() : nullptr;
}

void Win32Image::Clicked() {
  if (onClick) onClick();
}

}  // namespace larkspan
