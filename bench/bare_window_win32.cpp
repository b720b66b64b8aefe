// The Windows start-up benchmark's references: a bare Win32 window with a client area of the
// given size in pixels, white, that reports its first paint (its start, and the return to the
// message loop after it) in the program's timing format and does nothing else; with --text it
// shows one line of text in a static control with the windows' label font, and so pays for
// the font system as any window with text must.
//   bench_bare_window_win32 WIDTH HEIGHT [--text]
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "os/Timing.h"

namespace {

constexpr UINT kFrameDone = WM_APP + 1;
bool painted = false;

LRESULT CALLBACK BareWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      if (!painted) larkspan::TimingMark("first-paint:BareWindow");
      EndPaint(window, &paint);
      // Posted messages come after the paint of every child: the frame is whole then.
      if (!painted) PostMessageW(window, kFrameDone, 0, 0);
      painted = true;
      return 0;
    }
    case kFrameDone:
      larkspan::TimingMark("first-frame:BareWindow");
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int width = argc > 2 ? std::atoi(argv[1]) : 0;
  const int height = argc > 2 ? std::atoi(argv[2]) : 0;
  const bool withText = argc > 3 && std::strcmp(argv[3], "--text") == 0;
  if (width <= 0 || height <= 0 || (argc > 3 && !withText)) return 2;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = BareWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = L"BareWindow";
  RegisterClassW(&windowClass);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, width, height};
  AdjustWindowRect(&frame, style, FALSE);
  const HWND window = CreateWindowExW(
      0, L"BareWindow", L"Bare window", style, CW_USEDEFAULT, CW_USEDEFAULT,
      frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (withText) {
    const HWND label =
        CreateWindowExW(0, L"STATIC", L"Checking for updates ...", WS_CHILD | WS_VISIBLE, 20, 20,
                        300, 20, window, nullptr, instance, nullptr);
    const HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                   DEFAULT_PITCH, L"Arial");
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  ShowWindow(window, SW_SHOW);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
