#pragma once
// User-interface services for the toolkit tests: records each message box and counts the
// passes of the event pump, so that a test sees what the user would have seen.
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Ui.h"

namespace larkspan::test {

struct ShownMessage {
  std::u16string prompt;
  int style = 0;
  std::u16string title;
};

class RecordingUi final : public UiServices {
 public:
  RecordingUi() : previous_(InstallUiServices(this)) {}
  ~RecordingUi() override { InstallUiServices(previous_); }
  RecordingUi(const RecordingUi&) = delete;
  RecordingUi& operator=(const RecordingUi&) = delete;

  MsgBoxResult MsgBox(const std::u16string& prompt, int style,
                      const std::u16string& title) override {
    messages.push_back({prompt, style, title});
    return MsgBoxResult::kOk;
  }
  void DoEvents() override { ++doEvents; }
  [[noreturn]] void EndProgram() override { throw std::logic_error("toolkit ended the program"); }

  std::vector<ShownMessage> messages;
  int doEvents = 0;

 private:
  UiServices* previous_;
};

}  // namespace larkspan::test
