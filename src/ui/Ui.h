#pragma once
#include <memory>

#include "base/Runtime.h"
#include "ui/Controls.h"
#include "ui/Layout.h"

namespace larkspan {

// The user interface of one platform: Qt on Linux, Win32 on Windows, a headless one in the
// tests. The program is handed one at start and uses it for everything it shows; its message
// box, event pass and end are the run-time seam of base/Runtime.h.
class Ui : public Runtime {
 public:
  // A window built from its layout table, and the platform's Save dialog.
  virtual std::unique_ptr<Window> NewWindow(const WindowLayout& layout) = 0;
  virtual std::unique_ptr<SaveDialog> NewSaveDialog() = 0;
};

// Makes `ui` the one the program uses from now on, and the run-time seam with it (UseRuntime),
// and returns the one it used before. Without any (nullptr), as in the command-line tools, no
// window can be made, and the seam is the command-line tools' (see UseRuntime).
Ui* UseUi(Ui* ui);
Ui& CurrentUi();

}  // namespace larkspan
