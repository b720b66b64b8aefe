#include "os/Shell.h"

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include "base/Failure.h"
#include "os/CodePage.h"
#include "os/win32/WideText.h"

namespace larkspan {

void ShellOpen(const std::u16string& file, const std::u16string& parameters) {
  if (file.empty()) return;  // nothing to open
  // Without parameters the shell takes the file's default verb; with them, "open" runs it.
  const std::u16string verb = parameters.empty() ? u"" : u"open";
  const ShellLauncher launcher = CurrentShellLauncher();
  if (!launcher) {
    // The result is not looked at: opening is a courtesy, the caller carries on either way.
    ShellExecuteW(nullptr, verb.empty() ? nullptr : WideChars(verb), WideChars(file),
                  parameters.empty() ? nullptr : WideChars(parameters), nullptr, SW_SHOWNORMAL);
    return;
  }
  try {
    launcher({"ShellExecuteW", ToUtf8(file), ToUtf8(verb), ToUtf8(parameters)});
  } catch (const Failure&) {
  }
}

}  // namespace larkspan
