// Larkspan on Linux: the updater of Vantrel. Vantrel starts it with one argument text of four
// "*"-separated fields; see README.md.
#include <QApplication>
#include <cstdlib>
#include <exception>
#include <string>

#include "ReleaseKey.h"
#include "app/Startup.h"
#include "os/CodePage.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtSessionEnd.h"

int main(int argc, char** argv) {
  // The argument text is everything after the program's path: the arguments joined by
  // single blanks, as Windows hands its command line over to the program there.
  std::string arguments;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) arguments += ' ';
    arguments += argv[i];
  }

  // Started by hand without arguments there is nothing to check. Without a display the
  // toolkit could not even start, and the end must still be silent and clean.
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (arguments.empty() && (x11 == nullptr || *x11 == '\0') &&
      (wayland == nullptr || *wayland == '\0')) {
    return 0;
  }

  QApplication app(argc, argv);
  larkspan::QtBackend backend;
  larkspan::QtSessionEnd sessionEnd;
  try {
    larkspan::Main(larkspan::ToWide(arguments), backend, larkspan::deployment::kReleaseKey);
    return app.exec();
  } catch (const std::exception& error) {
    larkspan::ReportInternalError(error.what());
    return larkspan::kInternalErrorStatus;
  }
}
