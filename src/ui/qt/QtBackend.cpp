#include "ui/qt/QtBackend.h"

#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>

#include "ui/qt/QtMessageBox.h"
#include "ui/qt/QtSaveDialog.h"
#include "ui/qt/QtWindow.h"

namespace larkspan {

std::unique_ptr<Window> QtBackend::NewWindow(const WindowLayout& layout) {
  return std::make_unique<QtWindow>(layout);
}

std::unique_ptr<SaveDialog> QtBackend::NewSaveDialog() {
  return std::make_unique<QtSaveDialog>();
}

MsgBoxResult QtBackend::MsgBox(const std::u16string& prompt, int style,
                               const std::u16string& title) {
  return ShowQtMessageBox(prompt, style, title);
}

void QtBackend::DoEvents() {
  if (Clock::now() < nextPass_) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  // Counted from the end of the pass: a pass that painted the window leaves the caller its
  // full interval before the next one.
  nextPass_ = Clock::now() + kPassInterval;
}

// No close handling, no destructors, no further events: what has been written with write()
// is already with the system, and the buffered standard streams are flushed first.
void QtBackend::EndProgram() {
  std::fflush(nullptr);
  _exit(0);
}

}  // namespace larkspan
