#pragma once
// The controls drawn on their window's or frame's surface, as the layouts have them: labels
// on a transparent background and pictures, neither of them a window of its own.
#include <memory>
#include <string>

#include "ui/Controls.h"
#include "ui/win32/Win32Pictures.h"
#include "ui/win32/Win32Surface.h"

namespace larkspan {

class Win32Label final : public Label, public Win32Control {
 public:
  Win32Label(const ControlLayout& layout, Win32Surface& surface, const Font& font);

  void SetCaption(const std::u16string& caption) override;
  void SetForeColor(Rgb color) override;
  void Reset() override;
  void Place() override;
  RECT Bounds() const override { return bounds_; }
  bool Shown() const override { return Layout().visible; }
  void Paint(HDC dc) const override;
  std::wstring AccessibleName() const override { return text_; }

  // The caption as drawn and the box that it needs there, for a check that nothing is cut.
  std::wstring DrawnText() const { return text_; }
  RECT TextExtent() const;

 private:
  UINT DrawFlags() const;
  // Grows or wraps the box for the caption (the layout's label sizing) and repaints what
  // changed.
  void Fit();

  Win32Surface& surface_;
  const Font font_;
  std::u16string caption_;
  std::wstring text_;
  Rgb foreColor_ = 0;
  RECT bounds_{};
};

class Win32Image final : public Image, public Win32Control {
 public:
  Win32Image(const ControlLayout& layout, Win32Surface& surface);

  std::u16string Tag() const override { return Layout().tag; }
  void Reset() override {}
  void Place() override;
  RECT Bounds() const override { return bounds_; }
  bool Shown() const override { return Layout().visible; }
  void Paint(HDC dc) const override;
  HCURSOR Cursor() const override;
  void Clicked() override;
  std::wstring AccessibleName() const override {
    return {Layout().accessibleName.begin(), Layout().accessibleName.end()};
  }

 private:
  Win32Surface& surface_;
  std::unique_ptr<Win32Picture> picture_;
  RECT bounds_{};
};

}  // namespace larkspan
