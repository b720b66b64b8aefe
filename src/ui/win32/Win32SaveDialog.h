#pragma once
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

}  // namespace larkspan
