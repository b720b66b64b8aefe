#include "ui/win32/Win32Services.h"

#include <windows.h>

#include <cstdio>

#include "os/win32/WideText.h"

namespace larkspan {

MsgBoxResult Win32MsgBox(const std::u16string& prompt, int style, const std::u16string& title) {
  // The program's styles are the message box's own numbers (Yes/No, hand, asterisk). The box
  // belongs to the active window of this thread and stays above a window that keeps itself on
  // top.
  const UINT flags = static_cast<UINT>(style & (MB_YESNO | MB_ICONHAND | MB_ICONASTERISK)) |
                     MB_TOPMOST | MB_SETFOREGROUND;
  switch (MessageBoxW(GetActiveWindow(), WideChars(prompt), WideChars(title), flags)) {
    case IDYES:
      return MsgBoxResult::kYes;
    case IDNO:
      return MsgBoxResult::kNo;
    default:
      return MsgBoxResult::kOk;
  }
}

void Win32DoEvents(bool withPaint) {
  const UINT kinds = withPaint ? PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE | PM_QS_PAINT
                               : PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | kinds)) {
    if (message.message == WM_QUIT) {
      // Leave the end of the message loop to the loop that owns it.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Win32Dispatch(message);
  }
}

void Win32Dispatch(MSG& message) {
  if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST && message.hwnd != nullptr) {
    const HWND top = GetAncestor(message.hwnd, GA_ROOT);
    if (GetPropW(top, kDialogKeysProperty) != nullptr) {
      // A multi-line edit would answer Esc by closing its window.
      if (message.wParam == VK_ESCAPE) return;
      if (IsDialogMessageW(top, &message)) return;
    }
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void Win32EndProgram() {
  std::fflush(nullptr);
  ExitProcess(0);
}

}  // namespace larkspan
