#pragma once
// The thin controls: the read-only text box, the progress bar, the frame and the timer.
#include <memory>
#include <string>

#include "ui/Controls.h"
#include "ui/TimerState.h"
#include "ui/win32/Win32Surface.h"

namespace larkspan {

class Win32TextBox final : public TextBox, public Win32Control {
 public:
  Win32TextBox(const ControlLayout& layout, Win32Surface& surface, const Font& font);
  ~Win32TextBox() override;

  void SetText(const std::u16string& text) override;
  std::u16string Text() const override { return text_; }
  void Reset() override;
  void Place() override;
  HWND Handle() const override { return edit_; }
  RECT Bounds() const override { return surface_.Scale().Place(Layout()); }
  HBRUSH ColorFor(HDC dc) override;

 private:
  Win32Surface& surface_;
  const Font font_;
  HWND edit_ = nullptr;
  std::u16string text_;
};

class Win32ProgressBar final : public ProgressBar, public Win32Control {
 public:
  Win32ProgressBar(const ControlLayout& layout, Win32Surface& surface);
  ~Win32ProgressBar() override;

  void SetMax(int maximum) override;
  void SetValue(int value) override;
  void Reset() override;
  void Place() override;
  HWND Handle() const override { return bar_; }
  RECT Bounds() const override { return surface_.Scale().Place(Layout()); }

 private:
  Win32Surface& surface_;
  HWND bar_ = nullptr;
  int maximum_ = 0;
  int value_ = -1;
};

// A container without border or title: a surface of its own on its parent's.
class Win32Frame final : public Win32Control {
 public:
  Win32Frame(const ControlLayout& layout, Win32Surface& parent, Win32Scale& scale);

  Win32Surface& Surface() { return surface_; }
  void Reset() override;
  void Place() override;
  HWND Handle() const override { return surface_.Handle(); }
  RECT Bounds() const override { return surface_.Scale().Place(Layout()); }

 private:
  Win32Surface surface_;
};

// A timer of the user-interface thread: its ticks arrive as WM_TIMER at its window, which
// hands them to Tick.
class Win32Timer final : public TimerState, public Win32Control {
 public:
  Win32Timer(const ControlLayout& layout, HWND window, UINT_PTR id);
  ~Win32Timer() override;

  void Reset() override;
  void OnWindowLoaded() override;
  UINT_PTR Id() const { return id_; }

 private:
  // Setting a timer again with its id starts it afresh.
  void StartSystemTimer(int milliseconds) override {
    SetTimer(window_, id_, static_cast<UINT>(milliseconds), nullptr);
  }
  void StopSystemTimer() override { KillTimer(window_, id_); }

  const HWND window_;
  const UINT_PTR id_;
};

}  // namespace larkspan
