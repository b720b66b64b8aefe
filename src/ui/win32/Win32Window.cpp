#include "ui/win32/Win32Window.h"

#include <algorithm>

#include "os/Timing.h"
#include "os/win32/WideText.h"
#include "ui/Ui.h"
#include "ui/win32/Win32Button.h"
#include "ui/win32/Win32Painted.h"
#include "ui/win32/Win32Pictures.h"
#include "ui/win32/Win32Services.h"
#include "ui/win32/Win32Widgets.h"

namespace larkspan {
namespace {

constexpr int kFirstButtonId = 100;  // clear of IDOK and IDCANCEL, which Enter and Esc send

// A title bar with minimize and close buttons, and no maximize button or sizing border: the
// controls never move, so the window keeps its size. Its children join the tab order.
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

// The big icon from "<name>32.png" where the assets hold one, else from the small picture.
std::string BigIconFile(const std::string& icon) {
  const std::size_t dot = icon.rfind('.');
  if (dot == std::string::npos) return icon;
  const std::string big = icon.substr(0, dot) + "32" + icon.substr(dot);
  return AssetPath(big).empty() ? icon : big;
}

}  // namespace

Win32Window::Win32Window(const WindowLayout& layout)
    : LayoutWindow(layout), nextButtonId_(kFirstButtonId) {
  surface_ = std::make_unique<Win32Surface>(nullptr, scale_, layout.backColor, kWindowStyle,
                                            kWindowExStyle, RECT{0, 0, 0, 0});
  const HWND window = surface_->Handle();
  if constexpr (kTimingBuild) surface_->timingName = layout.name;
  scale_.dpi = WindowDpi(window);
  SizeToLayout();
  SetPropW(window, kDialogKeysProperty, reinterpret_cast<HANDLE>(1));
  caption_ = layout.caption;
  SetWindowTextW(window, WideChars(caption_));
  smallIcon_ = LoadPictureIcon(layout.icon, GetSystemMetrics(SM_CXSMICON));
  bigIcon_ = LoadPictureIcon(BigIconFile(layout.icon), GetSystemMetrics(SM_CXICON));
  if (smallIcon_ != nullptr)
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  if (bigIcon_ != nullptr)
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  BuildControls(*surface_);
  SetTabOrder();
  surface_->onMessage = [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return OnMessage(message, wParam, lParam, result);
  };
}

Win32Window::~Win32Window() {
  surface_->onMessage = nullptr;
  RemovePropW(surface_->Handle(), kDialogKeysProperty);
  DestroyControls();
  surface_.reset();
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
}

const Font& Win32Window::FontOf(const ControlLayout& c) const {
  return c.font ? *c.font : layout_.defaultFont;
}

std::unique_ptr<Win32Control> Win32Window::NewLabel(const ControlLayout& c, Win32Surface& on) {
  return std::make_unique<Win32Label>(c, on, FontOf(c));
}

std::unique_ptr<Win32Control> Win32Window::NewTextBox(const ControlLayout& c, Win32Surface& on) {
  return std::make_unique<Win32TextBox>(c, on, FontOf(c));
}

std::unique_ptr<Win32Control> Win32Window::NewButton(const ControlLayout& c, Win32Surface& on) {
  return std::make_unique<Win32Button>(c, on, FontOf(c), nextButtonId_++);
}

std::unique_ptr<Win32Control> Win32Window::NewImage(const ControlLayout& c, Win32Surface& on) {
  return std::make_unique<Win32Image>(c, on);
}

std::unique_ptr<Win32Control> Win32Window::NewProgressBar(const ControlLayout& c,
                                                          Win32Surface& on) {
  return std::make_unique<Win32ProgressBar>(c, on);
}

std::unique_ptr<Win32Control> Win32Window::NewTimer(const ControlLayout& c) {
  return std::make_unique<Win32Timer>(c, Handle(), nextTimerId_++);
}

std::unique_ptr<Win32Frame> Win32Window::NewFrame(const ControlLayout& c, Win32Surface& on) {
  return std::make_unique<Win32Frame>(c, on, scale_);
}

void Win32Window::DrawShape(const ControlLayout& c, Win32Surface& on) {
  on.AddOutline(c);
}

// Tab walks the child windows of each surface in their order from the top: they are put in
// the order of their tab indexes. Only those with a tab stop take the focus by Tab.
void Win32Window::SetTabOrder() {
  std::vector<const Win32Control*> ordered;
  for (const auto& control : controls_) {
    if (control->Handle() != nullptr && control->Layout().tabIndex >= 0) {
      ordered.push_back(control.get());
    }
  }
  std::stable_sort(ordered.begin(), ordered.end(), [](const auto* a, const auto* b) {
    return a->Layout().tabIndex < b->Layout().tabIndex;
  });
  std::map<std::string, HWND> last;  // per parent, the child placed last
  for (const Win32Control* control : ordered) {
    auto [place, first] = last.try_emplace(control->Layout().parent, HWND_TOP);
    SetWindowPos(control->Handle(), place->second, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    place->second = control->Handle();
  }
}

bool Win32Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_CLOSE:  // the close box, Alt+F4, the system menu
      Close();
      return true;
    case WM_TIMER:
      for (const auto& control : controls_) {
        if (auto* timer = dynamic_cast<Win32Timer*>(control.get());
            timer && timer->Id() == wParam) {
          timer->Tick();
        }
      }
      return true;
    case WM_COMMAND:
      // Enter presses the button that has the focus, the one the user picked; there is no
      // default button, and Esc does nothing.
      if (LOWORD(wParam) == IDOK) {
        const HWND focus = GetFocus();
        for (const auto& control : controls_) {
          if (auto* button = dynamic_cast<Win32Button*>(control.get());
              button && button->Handle() == focus) {
            button->Click();
          }
        }
      }
      return LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL;
    case WM_ACTIVATE:
      // Back to the first tab stop; Windows would give the focus to the window itself.
      if (LOWORD(wParam) != WA_INACTIVE && !IsChild(Handle(), GetFocus())) {
        if (HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE)) SetFocus(first);
      }
      return LOWORD(wParam) != WA_INACTIVE;
    case WM_DPICHANGED:
      Rescale(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return true;
    case WM_QUERYENDSESSION:  // a logoff or shutdown is never held up by the updater
      result = TRUE;
      return true;
    case WM_ENDSESSION:
      // The session ends: so does the program, as its own end does; the download's file keeps
      // every chunk written so far.
      if (wParam != FALSE) EndProgram();
      return true;
    default:
      return false;
  }
}

// Moved to a monitor of another scale: the window takes the place that Windows suggests and
// every control its place and font at the new scale.
void Win32Window::Rescale(UINT dpi, const RECT* suggested) {
  if (dpi == scale_.dpi) return;
  scale_.dpi = dpi;
  if (suggested != nullptr) {
    SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SizeToLayout();
  for (const auto& control : controls_) control->Place();
  InvalidateRect(Handle(), nullptr, FALSE);
}

void Win32Window::SizeToLayout() {
  RECT frame{0, 0, scale_.Pixels(layout_.clientWidth), scale_.Pixels(layout_.clientHeight)};
  AdjustForDpi(frame, kWindowStyle, kWindowExStyle, scale_.dpi);
  SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::SetCaption(const std::u16string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  SetWindowTextW(Handle(), WideChars(caption_));
}

// The whole window, title bar and borders included, is centred in the monitor's work area.
void Win32Window::CentreOnScreen() {
  RECT frame;
  GetWindowRect(Handle(), &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::ShowActive() {
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
}

// The other windows of the program take no input until this one closes; they are enabled
// again before it hides, so that the activation goes back to one of them.
void Win32Window::ShowModal() {
  if (!EnsureLoaded() || modal_) return;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND other, LPARAM self) -> BOOL {
        auto* window = reinterpret_cast<Win32Window*>(self);
        if (other != window->Handle() && IsWindowVisible(other) && IsWindowEnabled(other)) {
          EnableWindow(other, FALSE);
          window->disabled_.push_back(other);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(this));
  modal_ = true;
  ShowActive();
  MSG message;
  while (Loaded() && modal_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that owns the end
      break;
    }
    Win32Dispatch(message);
  }
  EnableOthers();
}

void Win32Window::EnableOthers() {
  modal_ = false;
  for (HWND other : disabled_) {
    if (IsWindow(other)) EnableWindow(other, TRUE);
  }
  disabled_.clear();
}

// The other windows are enabled again before this one hides, so that the activation goes back
// to one of them.
void Win32Window::Hide() {
  EnableOthers();
  ShowWindow(Handle(), SW_HIDE);
}

void Win32Window::Unloaded() {
  PostMessageW(Handle(), WM_NULL, 0, 0);  // wakes a modal loop that waits for a message
}

// Into the topmost band or out of it, in place and at its size.
void Win32Window::SetTopmost(bool onTop) {
  SetWindowPos(Handle(), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE);
}

}  // namespace larkspan
