#pragma once
#include <string>

#include "ui/Ui.h"

namespace larkspan {

// The modal message box; `style` adds an icon number (16, 32, 48, 64) and a button-set
// number (0 OK, 4 Yes and No), as the layouts' platform numbers them.
MsgBoxResult ShowQtMessageBox(const std::u16string& prompt, int style, const std::u16string& title);

}  // namespace larkspan
