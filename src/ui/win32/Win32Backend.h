#pragma once
#include <chrono>
#include <memory>
#include <string>

#include "ui/Ui.h"

namespace larkspan {

// The Win32 back end of the program's user interface, on the thread that makes it.
class Win32Backend final : public Ui {
 public:
  Win32Backend();
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  std::unique_ptr<Window> NewWindow(const WindowLayout& layout) override;
  std::unique_ptr<SaveDialog> NewSaveDialog() override;
  MsgBoxResult MsgBox(const std::u16string& prompt, int style,
                      const std::u16string& title) override;
  // Returns at once when nothing waits in the queue. The download yields twice per kilobyte;
  // the queue is asked at most once per kQueueLook (a click waits at most that long, far
  // below what anyone notices; each look is a call into the window system, and under Wine
  // also a look at the display's connection), and a pass runs only when it holds
  // something. Repaints run at most once per kFrame: the download changes a text with almost
  // every kilobyte, and a repaint costs far more than the kilobyte.
  void DoEvents() override;
  [[noreturn]] void EndProgram() override;

  // The program's message loop, until the end of the program; returns the quit code.
  int Run();

  static constexpr std::chrono::microseconds kQueueLook{2000};
  static constexpr std::chrono::milliseconds kFrame{16};

 private:
  std::chrono::steady_clock::time_point nextLook_{};
  std::chrono::steady_clock::time_point nextPaint_{};
  bool comStarted_ = false;
};

}  // namespace larkspan
