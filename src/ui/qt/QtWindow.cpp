#include "ui/qt/QtWindow.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <algorithm>

#include "os/Timing.h"
#include "ui/qt/QtAssets.h"
#include "ui/qt/QtButton.h"
#include "ui/qt/QtFrame.h"
#include "ui/qt/QtImage.h"
#include "ui/qt/QtLabel.h"
#include "ui/qt/QtLook.h"
#include "ui/qt/QtProgressBar.h"
#include "ui/qt/QtSurface.h"
#include "ui/qt/QtTextBox.h"
#include "ui/qt/QtTimer.h"

namespace larkspan {
namespace {

// A title bar with minimize and close buttons, and no maximize button: the controls never
// move, so the window keeps its size.
constexpr Qt::WindowFlags kWindowFlags =
    Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
    Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint;

}  // namespace

QtWindow::QtWindow(const WindowLayout& layout)
    : LayoutWindow(layout),
      widget_(std::make_unique<QtWindowWidget>(ToQColor(layout.backColor))),
      pacer_(*widget_) {
  widget_->setObjectName(QString::fromStdString(layout.name));
  widget_->setWindowFlags(kWindowFlags);
  widget_->setFixedSize(TwipsToPixels(layout.clientWidth), TwipsToPixels(layout.clientHeight));
  widget_->setFont(ToQFont(layout.defaultFont));
  widget_->setWindowTitle(ToQString(layout.caption));
  const QIcon icon = WindowIcon(layout.icon);
  if (!icon.isNull()) widget_->setWindowIcon(icon);
  BuildControls(*widget_);
  SetTabOrder();
  widget_->onCloseRequest = [this] { Close(); };
  widget_->onHidden = [this] {
    if (modalLoop_ != nullptr) modalLoop_->quit();
  };
  // The window manager adds the frame after the first show and moves the window with it: the
  // window is centred again by its whole frame, once, as soon as that frame is known.
  widget_->onMoved = [this] {
    if (frameKnown_ || widget_->frameGeometry().size() == widget_->size()) return;
    frameKnown_ = true;
    CentreOnScreen();
  };
}

QtWindow::~QtWindow() {
  widget_->onCloseRequest = nullptr;
  widget_->onHidden = nullptr;
  widget_->onMoved = nullptr;
  DestroyControls();
}

// A control on `surface`, with the window's default font and frame pacer.
QtPlace QtWindow::PlaceOn(QtSurface& surface) {
  return {&surface, widget_->font(), &pacer_};
}

std::unique_ptr<QtControl> QtWindow::NewLabel(const ControlLayout& c, QtSurface& on) {
  return std::make_unique<QtLabel>(c, PlaceOn(on));
}

std::unique_ptr<QtControl> QtWindow::NewTextBox(const ControlLayout& c, QtSurface& on) {
  return std::make_unique<QtTextBox>(c, PlaceOn(on));
}

std::unique_ptr<QtControl> QtWindow::NewButton(const ControlLayout& c, QtSurface& on) {
  return std::make_unique<QtButton>(c, PlaceOn(on));
}

std::unique_ptr<QtControl> QtWindow::NewImage(const ControlLayout& c, QtSurface& on) {
  return std::make_unique<QtImage>(c, PlaceOn(on));
}

std::unique_ptr<QtControl> QtWindow::NewProgressBar(const ControlLayout& c, QtSurface& on) {
  return std::make_unique<QtProgressBar>(c, PlaceOn(on));
}

std::unique_ptr<QtControl> QtWindow::NewTimer(const ControlLayout& c) {
  return std::make_unique<QtTimer>(c);
}

std::unique_ptr<QtFrame> QtWindow::NewFrame(const ControlLayout& c, QtSurface& on) {
  return std::make_unique<QtFrame>(c, PlaceOn(on));
}

void QtWindow::DrawShape(const ControlLayout& c, QtSurface& on) {
  on.AddOutline(PlaceOf(c), ToQColor(c.borderColor.value_or(0x000000)));
}

// Only the tab stops take the focus by Tab, in the order of their tab indexes.
void QtWindow::SetTabOrder() {
  std::vector<const QtControl*> stops;
  for (const auto& control : controls_) {
    const ControlLayout& layout = control->Layout();
    if (layout.tabStop && layout.tabIndex >= 0 && control->Widget() != nullptr) {
      stops.push_back(control.get());
    }
  }
  std::stable_sort(stops.begin(), stops.end(), [](const QtControl* a, const QtControl* b) {
    return a->Layout().tabIndex < b->Layout().tabIndex;
  });
  for (std::size_t i = 1; i < stops.size(); ++i) {
    QWidget::setTabOrder(stops[i - 1]->Widget(), stops[i]->Widget());
  }
}

void QtWindow::SetCaption(const std::u16string& caption) {
  widget_->setWindowTitle(ToQString(caption));
}

// The whole window, title bar and borders included, is centred; a move places the frame.
void QtWindow::CentreOnScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  widget_->move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter,
                                    widget_->frameGeometry().size(), screen->availableGeometry())
                    .topLeft());
}

void QtWindow::ShowActive() {
  widget_->show();
  widget_->raise();
  widget_->activateWindow();
}

void QtWindow::ShowModal() {
  if (!EnsureLoaded()) return;
  // Qt takes a change of modality only while the window is hidden.
  if (widget_->isVisible()) widget_->hide();
  widget_->setWindowModality(Qt::ApplicationModal);
  ShowActive();
  QEventLoop loop;
  QEventLoop* outerLoop = modalLoop_;
  modalLoop_ = &loop;
  if (widget_->isVisible()) loop.exec(QEventLoop::DialogExec);
  modalLoop_ = outerLoop;
  if (widget_->isHidden()) widget_->setWindowModality(Qt::NonModal);
}

void QtWindow::Hide() {
  widget_->hide();
}

void QtWindow::Unloaded() {
  pacer_.Forget();
  if (modalLoop_ != nullptr) modalLoop_->quit();
}

// The stays-on-top state changes on the existing native window: re-creating it (as
// QWidget::setWindowFlags does) would hide it and lose its place.
void QtWindow::SetTopmost(bool onTop) {
  Qt::WindowFlags flags = widget_->windowFlags();
  flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
  if (QWindow* handle = widget_->windowHandle()) {
    widget_->overrideWindowFlags(flags);
    handle->setFlags(flags);
  } else {
    widget_->setWindowFlags(flags);
  }
  if (widget_->isVisible()) {
    widget_->raise();
    widget_->activateWindow();
  }
}

QWidget& QtWindow::Widget() {
  pacer_.ShowAll();
  return *widget_;
}

}  // namespace larkspan
