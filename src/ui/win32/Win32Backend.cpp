#include "ui/win32/Win32Backend.h"

#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <objbase.h>

#include "ui/win32/Win32SaveDialog.h"
#include "ui/win32/Win32Services.h"
#include "ui/win32/Win32Window.h"

namespace larkspan {

Win32Backend::Win32Backend() {
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                     ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&classes);
  // The Save dialog and the picture decoder need a single-threaded apartment.
  comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

Win32Backend::~Win32Backend() {
  if (comStarted_) CoUninitialize();
}

std::unique_ptr<Window> Win32Backend::NewWindow(const WindowLayout& layout) {
  return std::make_unique<Win32Window>(layout);
}

std::unique_ptr<SaveDialog> Win32Backend::NewSaveDialog() {
  return std::make_unique<Win32SaveDialog>();
}

MsgBoxResult Win32Backend::MsgBox(const std::u16string& prompt, int style,
                                  const std::u16string& title) {
  return Win32MsgBox(prompt, style, title);
}

void Win32Backend::DoEvents() {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point now = Clock::now();
  if (now < nextLook_) return;
  nextLook_ = now + kQueueLook;
  const bool paintDue = now >= nextPaint_;
  if (HIWORD(GetQueueStatus(paintDue ? QS_ALLINPUT : QS_ALLINPUT & ~QS_PAINT)) == 0) return;
  if (paintDue) nextPaint_ = now + kFrame;
  Win32DoEvents(paintDue);
}

void Win32Backend::EndProgram() {
  Win32EndProgram();
}

int Win32Backend::Run() {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) Win32Dispatch(message);
  return got == 0 ? static_cast<int>(message.wParam) : 0;
}

}  // namespace larkspan
