#pragma once
#include <memory>
#include <string>

#include "ui/Ui.h"

namespace larkspan {

// The Qt 6 Widgets back end of the program's user interface. Constructed after the
// QApplication.
class QtBackend final : public Ui {
 public:
  QtBackend() = default;
  QtBackend(const QtBackend&) = delete;
  QtBackend& operator=(const QtBackend&) = delete;

  std::unique_ptr<Window> NewWindow(const WindowLayout& layout) override;
  std::unique_ptr<SaveDialog> NewSaveDialog() override;
  MsgBoxResult MsgBox(const std::u16string& prompt, int style,
                      const std::u16string& title) override;
  void DoEvents() override;
  [[noreturn]] void EndProgram() override;
};

}  // namespace larkspan
