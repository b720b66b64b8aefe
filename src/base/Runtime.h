#pragma once
#include <string>

namespace larkspan {

// Message-box styles, as the Windows message box numbers them (they add up).
enum MsgBoxStyle : int {
  kMsgOkOnly = 0,
  kMsgYesNo = 4,
  kMsgCritical = 16,
  kMsgInformation = 64,
};

enum class MsgBoxResult { kOk, kYes, kNo };

// The exit status of a program that a programming error ended (ReportInternalError).
inline constexpr int kInternalErrorStatus = 70;

// The run-time seam: what the text, network, operating-system and settings code need from the
// running program, without knowing of windows. A user-interface back end implements it (the
// Ui of src/ui extends it: Qt on Linux, Win32 on Windows, a headless one in the tests) and is
// installed by UseUi; a program that shows no windows may install one of its own.
class Runtime {
 public:
  virtual ~Runtime() = default;
  // Modal message box; `title` is never empty here (the free function fills it in).
  virtual MsgBoxResult MsgBox(const std::u16string& prompt, int style,
                              const std::u16string& title) = 0;
  // One pass of the pending window events (timers, clicks, repaints), then return.
  virtual void DoEvents() = 0;
  // Ends the program at once: no close or unload handling runs again, no further events.
  [[noreturn]] virtual void EndProgram() = 0;
};

// Makes `runtime` the one the program uses from now on and returns the one it used before.
// Without any (nullptr), as in the command-line tools, messages go to standard error in UTF-8,
// answered with their default button, a pass of the events does nothing and the end of the
// program leaves the process with status 0.
Runtime* UseRuntime(Runtime* runtime);

// Shows a modal message box; an empty title shows the application's title (kAppTitle, Product.h).
MsgBoxResult MsgBox(const std::u16string& prompt, int style, const std::u16string& title = u"");
void DoEvents();
// Ends the program at once through the installed runtime; no destructor runs.
[[noreturn]] void EndProgram();

}  // namespace larkspan
