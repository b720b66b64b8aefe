#pragma once
#include <memory>
#include <string>

#include "ui/Controls.h"
#include "ui/Layout.h"

namespace larkspan {

// The application's title: the title of every message box that has none of its own.
inline constexpr char16_t kAppTitle[] = u"Quillmere - Larkspan";

// Message-box styles, as the platform's message box numbers them (they add up).
enum MsgBoxStyle : int {
  kMsgOkOnly = 0,
  kMsgYesNo = 4,
  kMsgCritical = 16,
  kMsgInformation = 64,
};

enum class MsgBoxResult { kOk, kYes, kNo };

// The user interface of one platform: Qt on Linux, Win32 on Windows, a headless one in the
// tests. The program is handed one at start and uses it for everything it shows.
class Ui {
 public:
  virtual ~Ui() = default;
  // A window built from its layout table, and the platform's Save dialog.
  virtual std::unique_ptr<Window> NewWindow(const WindowLayout& layout) = 0;
  virtual std::unique_ptr<SaveDialog> NewSaveDialog() = 0;
  // Modal message box; `title` is never empty here (the free function fills it in).
  virtual MsgBoxResult MsgBox(const std::u16string& prompt, int style,
                              const std::u16string& title) = 0;
  // One pass of the pending window events (timers, clicks, repaints), then return.
  virtual void DoEvents() = 0;
  // Ends the program at once: no close or unload handling runs again, no further events.
  [[noreturn]] virtual void EndProgram() = 0;
};

// Makes `ui` the one the program uses from now on and returns the one it used before. Without
// any (nullptr), as in the command-line tools, messages go to standard error, answered with
// their default button, and no window can be made.
Ui* UseUi(Ui* ui);
Ui& CurrentUi();

// Shows a modal message box; an empty title shows the application's title.
MsgBoxResult MsgBox(const std::u16string& prompt, int style, const std::u16string& title = u"");
void DoEvents();
[[noreturn]] void EndProgram();

}  // namespace larkspan
