#pragma once
#include <windows.h>
// after windows.h, which it needs
#include <commdlg.h>

#include <functional>

#include "ui/Controls.h"

namespace larkspan {

// The system's Save dialog. It asks no overwrite question: the program asks its own.
class Win32SaveDialog final : public SaveDialog {
 public:
  void ShowSave() override;
};

// The dialog's filter from the program's: "|" between descriptions and patterns becomes the
// NUL that the dialog wants, with the double NUL at the end.
std::wstring ToFilterList(const std::u16string& filter);

// The call that shows the dialog, GetSaveFileNameW unless one is set here (the tests answer
// the dialog with one of their own); returns the one it replaces, empty for the system's.
using SaveFileCall = std::function<BOOL(OPENFILENAMEW& dialog)>;
SaveFileCall SetSaveFileCall(SaveFileCall call);

}  // namespace larkspan
