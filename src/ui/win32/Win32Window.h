#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Layout.h"
#include "ui/win32/Win32Surface.h"

namespace larkspan {

// A top-level window of fixed size built from its layout table. The contract objects live as
// long as this object: a close hides the window and resets the controls but destroys
// nothing, so a close that arrives while the window's own code runs deeper in the stack
// (inside an event pump) pulls nothing from under it.
class Win32Window final : public Window {
 public:
  explicit Win32Window(const WindowLayout& layout);
  ~Win32Window() override;

  void SetCaption(const std::u16string& caption) override;
  void Show() override;
  void ShowModal() override;
  bool Close() override;
  void SetTopmost(bool onTop) override;

  Label& GetLabel(std::string_view name) override;
  TextBox& GetTextBox(std::string_view name) override;
  Button& GetButton(std::string_view name) override;
  Image& GetImage(std::string_view name) override;
  ProgressBar& GetProgressBar(std::string_view name) override;
  Timer& GetTimer(std::string_view name) override;

  HWND Handle() const { return surface_->Handle(); }
  // A control by its layout name, whatever its kind; nullptr for a name the layout lacks.
  const Win32Control* Control(std::string_view name) const;

 private:
  void BuildControls();
  Win32Surface& SurfaceFor(const std::string& parentName);
  void AddControl(std::unique_ptr<Win32Control> control);
  void SetTabOrder();
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void Rescale(UINT dpi, const RECT* suggested);
  void SizeToLayout();
  bool EnsureLoaded();
  void CentreOnScreen();
  void ShowActive();
  void EnableOthers();
  void Unload();
  template <class T>
  T& Find(std::string_view name, const char* kind);

  const WindowLayout layout_;
  Win32Scale scale_;
  std::unique_ptr<Win32Surface> surface_;
  // Declared after the surface: destroyed first, while the windows they live in exist.
  std::vector<std::unique_ptr<Win32Control>> controls_;
  std::map<std::string, Win32Control*, std::less<>> byName_;
  HICON smallIcon_ = nullptr, bigIcon_ = nullptr;
  std::u16string caption_;
  bool loaded_ = false;
  bool closing_ = false;
  bool modal_ = false;
  std::vector<HWND> disabled_;  // by a modal showing, until it ends
};

}  // namespace larkspan
