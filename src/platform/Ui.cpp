#include "platform/Ui.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/CodePage.h"

namespace larkspan {
namespace {

// Used by the command-line tools and before a user interface exists: a message goes to
// standard error and is answered as if its default button were pressed.
class ConsoleServices final : public UiServices {
 public:
  MsgBoxResult MsgBox(const std::u16string& prompt, int style,
                      const std::u16string& title) override {
    std::fprintf(stderr, "%s: %s\n", ToNarrow(title).c_str(), ToNarrow(prompt).c_str());
    return (style & kMsgYesNo) == kMsgYesNo ? MsgBoxResult::kNo : MsgBoxResult::kOk;
  }
  void DoEvents() override {}
  [[noreturn]] void EndProgram() override {
    std::fflush(nullptr);
    _exit(0);
  }
};

ConsoleServices consoleServices;
UiServices* current = &consoleServices;

}  // namespace

UiServices* InstallUiServices(UiServices* services) {
  UiServices* previous = current;
  current = services ? services : &consoleServices;
  return previous;
}

MsgBoxResult MsgBox(const std::u16string& prompt, int style, const std::u16string& title) {
  return current->MsgBox(prompt, style, title.empty() ? std::u16string(kAppTitle) : title);
}

void DoEvents() { current->DoEvents(); }

void EndProgram() {
  current->EndProgram();
  std::abort();  // a back end's EndProgram never returns
}

}  // namespace larkspan
