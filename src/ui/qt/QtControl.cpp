#include "ui/qt/QtControl.h"

#include <QWidget>

#include "ui/qt/QtLook.h"

namespace larkspan {

void QtControl::ResetWidgetState() const {
  QWidget* widget = Widget();
  if (widget == nullptr) return;
  widget->setHidden(!layout_.visible);
  widget->setEnabled(layout_.enabled);
}

QFont QtPlace::FontFor(const ControlLayout& control) const {
  return control.font ? ToQFont(*control.font) : defaultFont;
}

QtFramePacer::QtFramePacer(const QWidget& window) : window_(window) {
  frame_.setSingleShot(true);
  frame_.setTimerType(Qt::PreciseTimer);
  frame_.setInterval(kFrameMilliseconds);
  QObject::connect(&frame_, &QTimer::timeout, &frame_, [this] { EndFrame(); });
}

void QtFramePacer::Changed(QtPacedControl& control) {
  if (control.waiting_) return;
  if (open_) {
    control.waiting_ = true;
    waiting_.push_back(&control);
    return;
  }
  // Nothing has shown in this frame yet: this value shows at once and opens the frame.
  if (window_.isVisible()) {
    open_ = true;
    frame_.start();
  }
  control.ShowRecorded();
}

void QtFramePacer::ShowAll() {
  for (QtPacedControl* control : waiting_) {
    control->waiting_ = false;
    control->ShowRecorded();
  }
  waiting_.clear();
}

void QtFramePacer::Forget() {
  for (QtPacedControl* control : waiting_) control->waiting_ = false;
  waiting_.clear();
  frame_.stop();
  open_ = false;
}

// A frame in which something waited opens the next one with it; a quiet one closes.
void QtFramePacer::EndFrame() {
  if (waiting_.empty()) {
    open_ = false;
    return;
  }
  ShowAll();
  frame_.start();
}

}  // namespace larkspan
