#pragma once
// The message box, the event pump and the program's end on Windows: the parts of the Win32
// user interface that need no window of the program's own. The Win32 Ui answers its MsgBox,
// DoEvents and EndProgram with them.
#include <string>

#include "ui/Ui.h"

namespace larkspan {

// MessageBoxW under `title`, with the program's styles (Yes/No, critical, information).
MsgBoxResult Win32MsgBox(const std::u16string& prompt, int style, const std::u16string& title);
// One pass over the messages waiting in this thread's queue.
void Win32DoEvents();
// Flushes what the C runtime buffers and ends the process.
[[noreturn]] void Win32EndProgram();

}  // namespace larkspan
