#include "platform/qt/QtBackend.h"

#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>

#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtSaveDialog.h"
#include "platform/qt/QtWindow.h"

namespace larkspan {

QtBackend::QtBackend() : previous_(InstallUiServices(this)) {}

QtBackend::~QtBackend() {
  InstallUiServices(previous_);
}

std::unique_ptr<Window> QtBackend::CreateWindow(const WindowLayout& layout) {
  return std::make_unique<QtWindow>(layout);
}

std::unique_ptr<SaveDialog> QtBackend::CreateSaveDialog() {
  return std::make_unique<QtSaveDialog>();
}

MsgBoxResult QtBackend::MsgBox(const std::u16string& prompt, int style,
                               const std::u16string& title) {
  return ShowQtMessageBox(prompt, style, title);
}

void QtBackend::DoEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// No close handling, no destructors, no further events: what has been written with write()
// is already with the system, and the buffered standard streams are flushed first.
void QtBackend::EndProgram() {
  std::fflush(nullptr);
  _exit(0);
}

}  // namespace larkspan
