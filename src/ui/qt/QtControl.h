#pragma once
#include <QFont>
#include <QTimer>
#include <vector>

#include "ui/Layout.h"

class QWidget;

namespace larkspan {

class QtFramePacer;

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

// A control whose values may change faster than a screen can show them. It records every
// value at once (what it was last given is what it holds) and hands the recorded values to its
// widget when its window's pacer says so.
class QtPacedControl {
 public:
  virtual ~QtPacedControl() = default;
  // Hands the recorded values to the widget; does nothing for those that it already shows.
  virtual void ShowRecorded() = 0;

 private:
  friend class QtFramePacer;
  bool waiting_ = false;
};

// Paces the values of one window's controls to the screen's frames. The download sets its texts
// and its bar for every kilobyte, thousands of times a second; a widget given each of them
// would lay out its text and repaint each time. The first change after a quiet frame shows at
// once; changes within the frame that it opens wait for its end and show together, so a widget
// takes at most one value per frame and always ends on the last one. A hidden window has no
// frames: whatever is set before it shows (its load, its texts) is in its first paint.
class QtFramePacer {
 public:
  static constexpr int kFrameMilliseconds = 16;

  explicit QtFramePacer(const QWidget& window);
  // A control's recorded values changed.
  void Changed(QtPacedControl& control);
  // Every recorded value shows now; the frame runs on.
  void ShowAll();
  // The window closed: nothing waits any more, and the next change shows at once.
  void Forget();

 private:
  void EndFrame();

  const QWidget& window_;
  QTimer frame_;
  std::vector<QtPacedControl*> waiting_;
  bool open_ = false;
};

// Where a control is built: its parent widget, the window's default font and the window's
// pacer.
struct QtPlace {
  QWidget* parent = nullptr;
  QFont defaultFont;
  QtFramePacer* pacer = nullptr;
  QFont FontFor(const ControlLayout& control) const;
};

}  // namespace larkspan
