#pragma once
#include <string>

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

// The services of the user-interface platform that code outside the windows needs: the
// toolkit shows its messages and lets pending events run through them, and start-up and the
// windows end the program through them. The Qt back end installs its own at start-up, the
// tests a headless one; without any, messages go to standard error and nothing is pumped.
class UiServices {
 public:
  virtual ~UiServices() = default;
  // Modal message box; `title` is never empty here (the free function fills it in).
  virtual MsgBoxResult MsgBox(const std::u16string& prompt, int style,
                              const std::u16string& title) = 0;
  // One pass of the pending window events (timers, clicks, repaints), then return.
  virtual void DoEvents() = 0;
  // Ends the program at once: no close or unload handling runs again, no further events.
  [[noreturn]] virtual void EndProgram() = 0;
};

// Installs the services used from now on (nullptr restores the defaults); returns the
// previous ones.
UiServices* InstallUiServices(UiServices* services);

// Shows a modal message box; an empty title shows the application's title.
MsgBoxResult MsgBox(const std::u16string& prompt, int style, const std::u16string& title = u"");
void DoEvents();
[[noreturn]] void EndProgram();

}  // namespace larkspan
