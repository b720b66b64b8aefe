#pragma once
#include <memory>
#include <string>

#include "ui/Layout.h"
#include "ui/LayoutWindow.h"
#include "ui/qt/QtControl.h"

class QEventLoop;
class QWidget;

namespace larkspan {

class QtFrame;
class QtSurface;
class QtWindowWidget;

// A top-level window of fixed size built from its layout table (its lifetime: ui/LayoutWindow.h).
class QtWindow final : public LayoutWindow<QtControl, QtSurface, QtFrame> {
 public:
  explicit QtWindow(const WindowLayout& layout);
  ~QtWindow() override;

  void SetCaption(const std::u16string& caption) override;
  void ShowModal() override;
  void SetTopmost(bool onTop) override;

  // The top-level widget, whose object name is the layout's name, with every value given to
  // its controls so far shown.
  QWidget& Widget();

 private:
  std::unique_ptr<QtControl> NewLabel(const ControlLayout& c, QtSurface& on) override;
  std::unique_ptr<QtControl> NewTextBox(const ControlLayout& c, QtSurface& on) override;
  std::unique_ptr<QtControl> NewButton(const ControlLayout& c, QtSurface& on) override;
  std::unique_ptr<QtControl> NewImage(const ControlLayout& c, QtSurface& on) override;
  std::unique_ptr<QtControl> NewProgressBar(const ControlLayout& c, QtSurface& on) override;
  std::unique_ptr<QtControl> NewTimer(const ControlLayout& c) override;
  std::unique_ptr<QtFrame> NewFrame(const ControlLayout& c, QtSurface& on) override;
  void DrawShape(const ControlLayout& c, QtSurface& on) override;
  QtPlace PlaceOn(QtSurface& surface);
  void SetTabOrder();
  void CentreOnScreen() override;
  void ShowActive() override;
  void Hide() override;
  void Unloaded() override;

  std::unique_ptr<QtWindowWidget> widget_;
  QtFramePacer pacer_;
  bool frameKnown_ = false;
  QEventLoop* modalLoop_ = nullptr;
};

}  // namespace larkspan
