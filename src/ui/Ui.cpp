#include "ui/Ui.h"

#include <stdexcept>

namespace larkspan {
namespace {

// The command-line tools' stand-in for a user interface: the seam as they have it, no windows.
class NoWindows final : public Ui {
 public:
  std::unique_ptr<Window> NewWindow(const WindowLayout& layout) override {
    throw std::logic_error("no user interface to show " + layout.name + " on");
  }
  std::unique_ptr<SaveDialog> NewSaveDialog() override {
    throw std::logic_error("no user interface to show the Save dialog on");
  }
  MsgBoxResult MsgBox(const std::u16string& prompt, int style,
                      const std::u16string& title) override {
    return larkspan::MsgBox(prompt, style, title);
  }
  void DoEvents() override { larkspan::DoEvents(); }
  [[noreturn]] void EndProgram() override { larkspan::EndProgram(); }
};

NoWindows noWindows;
Ui* current = nullptr;  // none installed: noWindows, never installed as the seam itself

}  // namespace

Ui* UseUi(Ui* ui) {
  Ui* previous = current;
  current = ui;
  UseRuntime(ui);
  return previous;
}

Ui& CurrentUi() {
  return current ? *current : noWindows;
}

}  // namespace larkspan
