#pragma once
#include <memory>
#include <string>
#include <vector>

#include "ui/Layout.h"
#include "ui/LayoutWindow.h"
#include "ui/win32/Win32Surface.h"

namespace larkspan {

class Win32Frame;

// A top-level window of fixed size built from its layout table (its lifetime: ui/LayoutWindow.h).
class Win32Window final : public LayoutWindow<Win32Control, Win32Surface, Win32Frame> {
 public:
  explicit Win32Window(const WindowLayout& layout);
  ~Win32Window() override;

  void SetCaption(const std::u16string& caption) override;
  void ShowModal() override;
  void SetTopmost(bool onTop) override;

  HWND Handle() const { return surface_->Handle(); }

 private:
  std::unique_ptr<Win32Control> NewLabel(const ControlLayout& c, Win32Surface& on) override;
  std::unique_ptr<Win32Control> NewTextBox(const ControlLayout& c, Win32Surface& on) override;
  std::unique_ptr<Win32Control> NewButton(const ControlLayout& c, Win32Surface& on) override;
  std::unique_ptr<Win32Control> NewImage(const ControlLayout& c, Win32Surface& on) override;
  std::unique_ptr<Win32Control> NewProgressBar(const ControlLayout& c, Win32Surface& on) override;
  std::unique_ptr<Win32Control> NewTimer(const ControlLayout& c) override;
  std::unique_ptr<Win32Frame> NewFrame(const ControlLayout& c, Win32Surface& on) override;
  void DrawShape(const ControlLayout& c, Win32Surface& on) override;
  const Font& FontOf(const ControlLayout& c) const;
  void SetTabOrder();
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void Rescale(UINT dpi, const RECT* suggested);
  void SizeToLayout();
  void CentreOnScreen() override;
  void ShowActive() override;
  void Hide() override;
  void Unloaded() override;
  void EnableOthers();

  Win32Scale scale_;
  std::unique_ptr<Win32Surface> surface_;
  HICON smallIcon_ = nullptr, bigIcon_ = nullptr;
  std::u16string caption_;
  bool modal_ = false;
  std::vector<HWND> disabled_;  // by a modal showing, until it ends
  int nextButtonId_;            // of the next button built
  UINT_PTR nextTimerId_ = 1;
};

}  // namespace larkspan
