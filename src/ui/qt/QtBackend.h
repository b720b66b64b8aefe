#pragma once
#include <chrono>
#include <memory>
#include <string>

#include "ui/Ui.h"

namespace larkspan {

// The Qt 6 Widgets back end of the program's user interface. Constructed after the
// QApplication.
class QtBackend final : public Ui {
 public:
  // The download yields twice per kilobyte, tens of thousands of times a second, and a pass
  // through the event loop costs more than the kilobyte itself. A yield passes through the
  // loop only when this long has gone by since the end of the previous pass: a click or a Stop
  // still runs within about a millisecond, and the timers still tick.
  static constexpr std::chrono::microseconds kPassInterval{1000};

  QtBackend() = default;
  QtBackend(const QtBackend&) = delete;
  QtBackend& operator=(const QtBackend&) = delete;

  std::unique_ptr<Window> NewWindow(const WindowLayout& layout) override;
  std::unique_ptr<SaveDialog> NewSaveDialog() override;
  MsgBoxResult MsgBox(const std::u16string& prompt, int style,
                      const std::u16string& title) override;
  void DoEvents() override;
  [[noreturn]] void EndProgram() override;

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point nextPass_{};  // the first yield always passes
};

}  // namespace larkspan
