#pragma once
// The surface of a window or of a frame: a window of the program's own class that paints its
// background, the layout's outlines and the controls drawn on it (labels, pictures), takes
// the clicks on its pictures, and hands its child controls the messages they send it.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/win32/Win32Look.h"

namespace larkspan {

class Win32Accessible;
class Win32Surface;

// What a window does with each of its controls, whatever the kind.
class Win32Control {
 public:
  explicit Win32Control(const ControlLayout& layout) : layout_(layout) {}
  virtual ~Win32Control() = default;
  Win32Control(const Win32Control&) = delete;
  Win32Control& operator=(const Win32Control&) = delete;

  const ControlLayout& Layout() const { return layout_; }
  // Back to the layout's values: at creation and after every close of the window.
  virtual void Reset() = 0;
  // The window has loaded (timers enabled in the layout start here).
  virtual void OnWindowLoaded() {}
  // Takes the place and font of the surface's scale: at creation and when it changes.
  virtual void Place() {}
  // The child window that shows the control; nullptr when it is drawn on its surface or not
  // shown at all.
  virtual HWND Handle() const { return nullptr; }
  // Where the control stands on its surface now, in pixels.
  virtual RECT Bounds() const { return {}; }

  // Controls drawn on the surface.
  virtual bool Shown() const { return false; }
  virtual void Paint(HDC /*dc*/) const {}
  virtual HCURSOR Cursor() const { return nullptr; }
  virtual void Clicked() {}
  // What a screen reader calls it (see Win32Accessible).
  virtual std::wstring AccessibleName() const { return {}; }

  // What a child window sends its parent about itself.
  virtual void Command(WORD /*code*/) {}
  virtual void DrawItem(const DRAWITEMSTRUCT& /*item*/) {}
  virtual HBRUSH ColorFor(HDC /*dc*/) { return nullptr; }

 private:
  const ControlLayout layout_;
};

class Win32Surface {
 public:
  // A top-level window when `parent` is nullptr, else a frame on `parent`. The scale belongs to
  // the window and is shared by all its surfaces.
  Win32Surface(Win32Surface* parent, Win32Scale& scale, Rgb background, DWORD style, DWORD exStyle,
               const RECT& place);
  ~Win32Surface();
  Win32Surface(const Win32Surface&) = delete;
  Win32Surface& operator=(const Win32Surface&) = delete;

  HWND Handle() const { return window_; }
  const Win32Scale& Scale() const { return scale_; }
  Win32Scale& Scale() { return scale_; }

  void AddOutline(const ControlLayout& shape);
  // A control drawn on this surface, above the outlines and the controls added before it.
  void AddPainted(Win32Control& control);
  const std::vector<Win32Control*>& Painted() const { return painted_; }
  // The name of a control drawn here has changed. Screen readers hear of it with the next
  // paint: at most once per frame, however often the download changes a label.
  void NameChanged(const Win32Control& control);
  // A child window whose messages go to `control`.
  void AddChild(HWND child, Win32Control& control);
  // Marks `place` for the next paint. A place already marked since the last paint is not
  // marked again: a label that changes on every chunk of a download asks for the same box
  // hundreds of times per frame, and each mark is a call into the window system.
  void Invalidate(const RECT& place);

  // The messages that the surface leaves to its window (close, timers, keys, scale): true
  // when handled, with the result.
  std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)> onMessage;
  // For the benchmarks: a window's surface marks its first paint under this name.
  std::string timingName;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  Win32Control* ChildControl(HWND child) const;
  Win32Control* PaintedAt(LPARAM point) const;
  LRESULT AccessibleObject(WPARAM wParam);

  Win32Scale& scale_;
  const Rgb background_;
  HWND window_ = nullptr;
  std::vector<ControlLayout> outlines_;
  std::vector<Win32Control*> painted_;
  std::vector<std::pair<HWND, Win32Control*>> children_;
  std::vector<RECT> marked_;  // since the last paint, the first few
  Win32Control* pressed_ = nullptr;
  bool paintMarked_ = false;
  std::vector<const Win32Control*> renamed_;  // since the last paint
  Win32Accessible* accessible_ = nullptr;     // made when a tool first asks for it
};

// Ends the program as after an internal error: a handler let a programming error out, and
// no exception may cross the system's code back into the message loop. The program's entry
// says how the error is reported (standard error without it).
using InternalErrorReport = void (*)(const char* what);
void SetInternalErrorReport(InternalErrorReport report);
[[noreturn]] void EndOnInternalError(const char* what);

}  // namespace larkspan
