// Larkspan on Windows: the updater of Vantrel. Vantrel starts it with one argument text of four
// "*"-separated fields; see README.md.
#include <windows.h>

#include <exception>

#include "ReleaseKey.h"
#include "app/Startup.h"
#include "main/CommandLine.h"
#include "os/win32/WideText.h"
#include "ui/win32/Win32Backend.h"
#include "ui/win32/Win32Surface.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*arguments*/,
                    int /*show*/) {
  // The argument text is the command line after the program's path, as it came: not the
  // arguments split and joined again.
  const std::u16string arguments =
      larkspan::ArgumentText(larkspan::FromWideChars(GetCommandLineW()));
  larkspan::SetInternalErrorReport(&larkspan::ReportInternalError);
  try {
    larkspan::Win32Backend backend;
    larkspan::Main(arguments, backend, larkspan::deployment::kReleaseKey);
    return backend.Run();
  } catch (const std::exception& error) {
    larkspan::ReportInternalError(error.what());
    return larkspan::kInternalErrorStatus;
  }
}
