#include "base/Runtime.h"

#include <cstdio>
#include <cstdlib>

#include "Product.h"
#include "base/Utf8.h"

namespace larkspan {
namespace {

// The command-line tools' stand-in for a running program with windows.
class ConsoleRuntime final : public Runtime {
 public:
  MsgBoxResult MsgBox(const std::u16string& prompt, int style,
                      const std::u16string& title) override {
    std::fprintf(stderr, "%s: %s\n", ToUtf8(title).c_str(), ToUtf8(prompt).c_str());
    return (style & kMsgYesNo) == kMsgYesNo ? MsgBoxResult::kNo : MsgBoxResult::kOk;
  }
  void DoEvents() override {}
  [[noreturn]] void EndProgram() override {
    std::fflush(nullptr);
    std::_Exit(0);
  }
};

ConsoleRuntime console;
Runtime* current = &console;

}  // namespace

Runtime* UseRuntime(Runtime* runtime) {
  Runtime* previous = current;
  current = runtime ? runtime : &console;
  return previous;
}

MsgBoxResult MsgBox(const std::u16string& prompt, int style, const std::u16string& title) {
  return current->MsgBox(prompt, style, title.empty() ? std::u16string(kAppTitle) : title);
}

void DoEvents() {
  current->DoEvents();
}

void EndProgram() {
  current->EndProgram();
  std::abort();  // a runtime's EndProgram never returns
}

}  // namespace larkspan
