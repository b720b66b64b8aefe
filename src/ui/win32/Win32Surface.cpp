#include "ui/win32/Win32Surface.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <stdexcept>

#include "base/Runtime.h"
#include "os/Timing.h"
#include "ui/win32/Win32Accessible.h"

namespace larkspan {
namespace {

constexpr wchar_t kSurfaceClass[] = L"LarkspanSurface";
constexpr int kProgramIcon = 1;  // the icon resource of larkspan.exe
// Posted by the first paint of a window, for the benchmarks.
constexpr UINT kFirstFrameDone = WM_APP + 1;

void RegisterSurfaceClass() {
  static const bool registered = [] {
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    // Double-clicks arrive as such, so that the second press of one is not another click.
    type.style = CS_DBLCLKS;
    type.lpfnWndProc = DefWindowProcW;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hIcon = LoadIconW(type.hInstance, MAKEINTRESOURCEW(kProgramIcon));
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.lpszClassName = kSurfaceClass;
    return RegisterClassExW(&type) != 0;
  }();
  (void)registered;
}

bool Contains(const RECT& box, POINT point) {
  return PtInRect(&box, point) != FALSE;
}

InternalErrorReport internalErrorReport = nullptr;

}  // namespace

void SetInternalErrorReport(InternalErrorReport report) {
  internalErrorReport = report;
}

void EndOnInternalError(const char* what) {
  if (internalErrorReport != nullptr) {
    internalErrorReport(what);
  } else {
    std::fprintf(stderr, "larkspan: internal error: %s\n", what);
  }
  std::fflush(nullptr);
  ExitProcess(kInternalErrorStatus);
}

Win32Surface::Win32Surface(Win32Surface* parent, Win32Scale& scale, Rgb background, DWORD style,
                           DWORD exStyle, const RECT& place)
    : scale_(scale), background_(background) {
  RegisterSurfaceClass();
  window_ = CreateWindowExW(exStyle, kSurfaceClass, L"", style, place.left, place.top,
                            place.right - place.left, place.bottom - place.top,
                            parent != nullptr ? parent->Handle() : nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (window_ == nullptr) throw std::runtime_error("cannot create a window");
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure));
}

Win32Surface::~Win32Surface() {
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
  DestroyWindow(window_);
  if (accessible_ != nullptr) {
    accessible_->Disconnect();
    accessible_->Release();
  }
}

void Win32Surface::AddOutline(const ControlLayout& shape) {
  outlines_.push_back(shape);
  Invalidate(scale_.Place(shape));
}

void Win32Surface::AddPainted(Win32Control& control) {
  painted_.push_back(&control);
}

void Win32Surface::NameChanged(const Win32Control& control) {
  if (std::find(renamed_.begin(), renamed_.end(), &control) == renamed_.end()) {
    renamed_.push_back(&control);
  }
}

void Win32Surface::AddChild(HWND child, Win32Control& control) {
  children_.emplace_back(child, &control);
}

void Win32Surface::Invalidate(const RECT& place) {
  constexpr std::size_t kRemembered = 8;
  const auto covers = [&](const RECT& marked) {
    return marked.left <= place.left && marked.top <= place.top && marked.right >= place.right &&
           marked.bottom >= place.bottom;
  };
  if (std::any_of(marked_.begin(), marked_.end(), covers)) return;
  InvalidateRect(window_, &place, FALSE);
  if (marked_.size() < kRemembered) marked_.push_back(place);
}

LRESULT CALLBACK Win32Surface::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* surface = reinterpret_cast<Win32Surface*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  try {
    return surface->Handle(message, wParam, lParam);
  } catch (const std::exception& error) {
    EndOnInternalError(error.what());
  }
}

LRESULT Win32Surface::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint fills the background itself, in one go with the rest
    case WM_PAINT:
      Paint();
      return 0;
    case WM_GETOBJECT:
      if (static_cast<LONG>(lParam) == OBJID_CLIENT) return AccessibleObject(wParam);
      break;
    case kFirstFrameDone:
      TimingMark("first-frame:" + timingName);
      return 0;
    case WM_COMMAND:
      if (Win32Control* control = ChildControl(reinterpret_cast<HWND>(lParam))) {
        control->Command(HIWORD(wParam));
        return 0;
      }
      break;
    case WM_DRAWITEM:
      if (Win32Control* control =
              ChildControl(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem)) {
        control->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      if (Win32Control* control = ChildControl(reinterpret_cast<HWND>(lParam))) {
        if (HBRUSH brush = control->ColorFor(reinterpret_cast<HDC>(wParam))) {
          return reinterpret_cast<LRESULT>(brush);
        }
      }
      break;
    // A click on a picture is a press and a release of the left button, both over it; the
    // second press of a double-click counts for nothing, so a double-click opens once.
    case WM_LBUTTONDOWN:
      pressed_ = PaintedAt(lParam);
      if (pressed_ != nullptr) SetCapture(window_);
      return 0;
    case WM_LBUTTONDBLCLK:
      pressed_ = nullptr;
      return 0;
    case WM_LBUTTONUP: {
      Win32Control* pressed = std::exchange(pressed_, nullptr);
      if (GetCapture() == window_) ReleaseCapture();
      if (pressed != nullptr && pressed == PaintedAt(lParam)) pressed->Clicked();
      return 0;
    }
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == window_) {
        POINT point;
        GetCursorPos(&point);
        ScreenToClient(window_, &point);
        const Win32Control* under = PaintedAt(MAKELPARAM(point.x, point.y));
        if (under != nullptr && under->Cursor() != nullptr) {
          SetCursor(under->Cursor());
          return TRUE;
        }
      }
      break;
    default:
      break;
  }
  if (onMessage && onMessage(message, wParam, lParam, result)) return result;
  return DefWindowProcW(window_, message, wParam, lParam);
}

// Drawn into a bitmap first and copied in one go: nothing flickers when a label changes.
void Win32Surface::Paint() {
  PAINTSTRUCT paint;
  HDC screen = BeginPaint(window_, &paint);
  marked_.clear();  // the paint takes the whole update region
  // The benchmarks time the start-up up to the first paint of a window: its start, and the
  // return to the message loop once the whole frame is painted (posted messages come after
  // the paint of every child).
  if (kTimingBuild && !timingName.empty() && !paintMarked_) {
    paintMarked_ = true;
    TimingMark("first-paint:" + timingName);
    PostMessageW(window_, kFirstFrameDone, 0, 0);
  }
  const RECT& dirty = paint.rcPaint;
  const int width = dirty.right - dirty.left, height = dirty.bottom - dirty.top;
  if (width > 0 && height > 0) {
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    SetViewportOrgEx(dc, -dirty.left, -dirty.top, nullptr);
    FillRect(dc, &dirty, SolidBrush(background_));
    for (const ControlLayout& shape : outlines_) {
      // One pixel wide, inside the shape's place.
      const RECT box = scale_.Place(shape);
      FrameRect(dc, &box, SolidBrush(shape.borderColor.value_or(0x000000)));
    }
    for (const Win32Control* control : painted_) {
      RECT box = control->Bounds(), overlap;
      if (control->Shown() && IntersectRect(&overlap, &box, &dirty)) control->Paint(dc);
    }
    SetViewportOrgEx(dc, 0, 0, nullptr);
    BitBlt(screen, dirty.left, dirty.top, width, height, dc, 0, 0, SRCCOPY);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  EndPaint(window_, &paint);
  // The child ids of the drawn controls are their places in the drawing order, counted from 1.
  for (const Win32Control* control : std::exchange(renamed_, {})) {
    const auto at = std::find(painted_.begin(), painted_.end(), control);
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window_, OBJID_CLIENT,
                   static_cast<LONG>(at - painted_.begin()) + 1);
  }
}

// Made on the first request, so that a run without an accessibility tool never loads oleacc.
LRESULT Win32Surface::AccessibleObject(WPARAM wParam) {
  if (accessible_ == nullptr) accessible_ = new Win32Accessible(*this);
  return LresultFromObject(__uuidof(IAccessible), wParam, accessible_);
}

Win32Control* Win32Surface::ChildControl(HWND child) const {
  for (const auto& [handle, control] : children_) {
    if (handle == child) return control;
  }
  return nullptr;
}

// The topmost shown control drawn here that takes clicks or shows a pointer of its own.
Win32Control* Win32Surface::PaintedAt(LPARAM point) const {
  const POINT at{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  for (auto it = painted_.rbegin(); it != painted_.rend(); ++it) {
    Win32Control* control = *it;
    if (control->Shown() && control->Layout().kind == ControlKind::kImage &&
        Contains(control->Bounds(), at)) {
      return control;
    }
  }
  return nullptr;
}

}  // namespace larkspan
