#pragma once
#include <QFont>

#include "ui/Layout.h"

class QWidget;

namespace larkspan {

// What the window does with each of its controls, whatever the kind: put it back to its
// layout values, and start it when the window loads.
class QtControl {
 public:
  explicit QtControl(const ControlLayout& layout) : layout_(layout) {}
  virtual ~QtControl() = default;
  QtControl(const QtControl&) = delete;
  QtControl& operator=(const QtControl&) = delete;

  const ControlLayout& Layout() const { return layout_; }
  // Back to the layout's values: at creation and after every close of the window.
  virtual void Reset() = 0;
  // The window has loaded (timers enabled in the layout start here).
  virtual void OnWindowLoaded() {}
  // The widget that shows the control; nullptr for controls that are not shown.
  virtual QWidget* Widget() const = 0;

 protected:
  // Visibility and enabled state as the layout gives them.
  void ResetWidgetState() const;

 private:
  const ControlLayout layout_;
};

// Where a control is built: its parent widget and the window's default font.
struct QtPlace {
  QWidget* parent = nullptr;
  QFont defaultFont;
  QFont FontFor(const ControlLayout& control) const;
};

}  // namespace larkspan
