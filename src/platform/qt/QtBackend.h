#pragma once
#include <memory>
#include <string>

#include "platform/Ui.h"
#include "platform/UiFactory.h"

namespace larkspan {

// The Qt 6 Widgets back end: builds the program's windows and provides the user-interface
// services. Constructed after the QApplication, it installs itself as the services and
// uninstalls itself when destroyed.
class QtBackend final : public UiFactory, public UiServices {
 public:
  QtBackend();
  ~QtBackend() override;
  QtBackend(const QtBackend&) = delete;
  QtBackend& operator=(const QtBackend&) = delete;

  std::unique_ptr<Window> CreateWindow(const WindowLayout& layout) override;
  std::unique_ptr<SaveDialog> CreateSaveDialog() override;
  MsgBoxResult MsgBox(const std::u16string& prompt, int style,
                      const std::u16string& title) override;
  void DoEvents() override;
  [[noreturn]] void EndProgram() override;

 private:
  UiServices* previous_;
};

}  // namespace larkspan
