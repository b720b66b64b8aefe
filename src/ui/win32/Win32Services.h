#pragma once
// The message box, the event pump and the program's end on Windows: the parts of the Win32
// user interface that need no window of the program's own. The Win32 Ui answers its MsgBox,
// DoEvents and EndProgram with them.
#include <windows.h>

#include <string>

#include "ui/Ui.h"

namespace larkspan {

// MessageBoxW under `title`, with the program's styles (Yes/No, critical, information).
MsgBoxResult Win32MsgBox(const std::u16string& prompt, int style, const std::u16string& title);
// One pass over the messages waiting in this thread's queue; without `withPaint` the windows'
// repaints wait for a later pass.
void Win32DoEvents(bool withPaint = true);
// Hands one message to its window: the keys of a window that carries kDialogKeysProperty go
// through the dialog keys first (Tab and Shift+Tab, Enter, Space on a button); Esc is not a
// key of those windows.
void Win32Dispatch(MSG& message);
inline constexpr wchar_t kDialogKeysProperty[] = L"Larkspan.DialogKeys";
// Flushes what the C runtime buffers and ends the process.
[[noreturn]] void Win32EndProgram();

}  // namespace larkspan
