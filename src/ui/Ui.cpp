#include "ui/Ui.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "os/CodePage.h"
#include "os/TargetFile.h"

namespace larkspan {
namespace {

// The command-line tools' stand-in for a user interface.
class ConsoleUi final : public Ui {
 public:
  std::unique_ptr<Window> NewWindow(const WindowLayout& layout) override {
    throw std::logic_error("no user interface to show " + layout.name + " on");
  }
  std::unique_ptr<SaveDialog> NewSaveDialog() override {
    throw std::logic_error("no user interface to show the Save dialog on");
  }
  MsgBoxResult MsgBox(const std::u16string& prompt, int style,
                      const std::u16string& title) override {
    std::fprintf(stderr, "%s: %s\n", ToNarrow(title).c_str(), ToNarrow(prompt).c_str());
    return (style & kMsgYesNo) == kMsgYesNo ? MsgBoxResult::kNo : MsgBoxResult::kOk;
  }
  void DoEvents() override {}
  [[noreturn]] void EndProgram() override {
    std::fflush(nullptr);
    std::_Exit(0);
  }
};

ConsoleUi console;
Ui* current = &console;

}  // namespace

Ui* UseUi(Ui* ui) {
  Ui* previous = current;
  current = ui ? ui : &console;
  return previous;
}

Ui& CurrentUi() { return *current; }

MsgBoxResult MsgBox(const std::u16string& prompt, int style, const std::u16string& title) {
  return current->MsgBox(prompt, style, title.empty() ? std::u16string(kAppTitle) : title);
}

void DoEvents() { current->DoEvents(); }

void EndProgram() {
  FlushTargetFiles();  // the end runs no destructors
  current->EndProgram();
  std::abort();  // a back end's EndProgram never returns
}

}  // namespace larkspan
