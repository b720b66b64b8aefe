#pragma once
#include <QColor>
#include <QRect>
#include <QWidget>
#include <functional>
#include <vector>

namespace larkspan {

// The surface of a window or of a frame: a plain background, plus the rectangle outlines of
// the layout's shapes, painted before any child control so that they lie behind everything.
class QtSurface : public QWidget {
 public:
  explicit QtSurface(QWidget* parent, QColor background);
  void AddOutline(QRect place, QColor color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Outline {
    QRect place;
    QColor color;
  };
  std::vector<Outline> outlines_;
};

// The top-level widget of a window. A close request (close box or close()) is handed to the
// window's own close handling, which hides the widget itself when the close goes ahead.
class QtWindowWidget final : public QtSurface {
 public:
  explicit QtWindowWidget(QColor background);
  std::function<void()> onCloseRequest;
  // An explicit hide (not a minimize).
  std::function<void()> onHidden;
  std::function<void()> onMoved;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
};

}  // namespace larkspan
