#pragma once
// The picture button: a push button that draws its picture left of its caption.
#include <memory>
#include <string>

#include "ui/Controls.h"
#include "ui/win32/Win32Pictures.h"
#include "ui/win32/Win32Surface.h"

namespace larkspan {

class Win32Button final : public Button, public Win32Control {
 public:
  Win32Button(const ControlLayout& layout, Win32Surface& surface, const Font& font, int id);
  ~Win32Button() override;

  void SetCaption(const std::u16string& caption) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void Reset() override;
  void Place() override;
  HWND Handle() const override { return button_; }
  RECT Bounds() const override;
  void Command(WORD code) override;
  void DrawItem(const DRAWITEMSTRUCT& item) override;
  // The click of Enter or a tool: only a shown, enabled button answers it.
  void Click();

 private:
  bool Visible() const;

  Win32Surface& surface_;
  const Font font_;
  HWND button_ = nullptr;
  std::unique_ptr<Win32Picture> picture_;
  std::u16string caption_;
};

}  // namespace larkspan
