#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "ui/Ui.h"

namespace larkspan {

class CheckUpdatesForm;
class DownForm;

// The entry procedure: language, command line, the update window. `argumentText` is the
// argument part of the command line, unchanged; `ui` is the platform's user interface, used
// from now on for everything the program shows; `releaseKey` is the program's release key
// (ReleaseKey.h), empty in a build without one. Returns with the update window open and
// topmost, or ends the program (empty argument text, refusal).
void Main(const std::u16string& argumentText, Ui& ui, std::string_view releaseKey = {});

void InitGlobals();

// The two windows, single instances built on first use: the update window by the entry
// procedure, the download window by the update window's Download button.
CheckUpdatesForm& TheUpdateWindow();
DownForm& TheDownloadWindow();

// Drops both windows and empties the process-wide record: tests start every case from here,
// and end it so while the back end that built the windows still exists.
void ResetProgram();

// A programming error (a control that the layout does not hold, say) reached the top of the
// program: shows its message as a critical message box and on standard error. The platform's
// entry then ends the process with kInternalErrorStatus (base/Runtime.h).
void ReportInternalError(const char* what);

// What the entry procedure runs first to fill the language table. By default it loads the
// language file named by the product's setting from beside the program; tests put their own
// texts in instead. Returns the loader that was set before (nullptr: the default). Test hooks
// all go this way: a replaceable function, set with Set... or Use..., which returns the one
// it replaces (SetShellLauncher, UseUi).
using LanguageLoader = std::function<void()>;
LanguageLoader SetLanguageLoader(LanguageLoader loader);

}  // namespace larkspan
