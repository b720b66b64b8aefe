#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Layout.h"
#include "ui/qt/QtControl.h"

class QEventLoop;
class QWidget;

namespace larkspan {

class QtSurface;
class QtWindowWidget;

// A top-level window of fixed size built from its layout table. The contract objects live as
// long as this object: a close hides the widget and resets the controls but destroys
// nothing, so a close that arrives while the window's own code runs deeper in the stack
// (inside an event pump) pulls nothing from under it.
class QtWindow final : public Window {
 public:
  explicit QtWindow(const WindowLayout& layout);
  ~QtWindow() override;

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

  // The top-level widget, whose object name is the layout's name, with every value given to
  // its controls so far shown.
  QWidget& Widget();

 private:
  void BuildControls();
  QtSurface& SurfaceFor(const std::string& parentName);
  void AddControl(std::unique_ptr<QtControl> control);
  void SetTabOrder();
  // Runs the load event when the window is not loaded; false when the load closed it again.
  bool EnsureLoaded();
  void CentreOnScreen();
  void ShowActive();
  void Unload();
  template <class T>
  T& Find(std::string_view name, const char* kind);

  const WindowLayout layout_;
  std::unique_ptr<QtWindowWidget> widget_;
  QtFramePacer pacer_;
  // Declared after the widget and the pacer: destroyed first, while what they point to exists.
  std::vector<std::unique_ptr<QtControl>> controls_;
  std::map<std::string, QtControl*, std::less<>> byName_;
  bool loaded_ = false;
  bool closing_ = false;
  bool frameKnown_ = false;
  QEventLoop* modalLoop_ = nullptr;
};

}  // namespace larkspan
