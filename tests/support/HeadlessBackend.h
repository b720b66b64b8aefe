#pragma once
// The headless back end of the control contracts, for behaviour tests of the windows: no
// display and no waiting. Every control is one recorded HeadlessControl, whatever its kind.
// Timers run on a virtual clock that the test advances; message boxes and the Save dialog are
// answered from a script that records what was asked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "os/CodePage.h"
#include "ui/Controls.h"
#include "ui/Layout.h"
#include "ui/LayoutWindow.h"
#include "ui/Ui.h"

namespace larkspan::test {

// Thrown by EndProgram. Not a std::exception, so the program's resume-next guards let it
// pass, as nothing runs after the real end of the process.
struct ProgramEnded {};

class HeadlessBackend;

// The windows' own surfaces and frames have nothing to record.
struct NoSurface {};

// Any control: what the window last set, and the captions (a text box's texts) and bar values
// set since the window loaded.
class HeadlessControl final : public Label,
                              public TextBox,
                              public Button,
                              public Image,
                              public ProgressBar,
                              public Timer {
 public:
  HeadlessControl(const std::int64_t& clock, const ControlLayout& controlLayout)
      : layout(controlLayout), clock_(clock) {
    Reset();
  }
  void SetCaption(const std::u16string& text) override {
    caption = text;
    history.push_back(text);
  }
  void SetText(const std::u16string& text) override { SetCaption(text); }
  std::u16string Text() const override { return caption; }
  void SetForeColor(Rgb color) override { foreColor = color; }
  void SetVisible(bool value) override { visible = value; }
  void SetEnabled(bool value) override {
    // Enabling a timer (again) counts its interval from now, as a window timer does.
    if (layout.kind == ControlKind::kTimer && value) nextDue = clock_ + std::max(interval, 1);
    enabled = value;
  }
  bool Enabled() const override { return enabled; }
  std::u16string Tag() const override { return layout.tag; }
  void SetMax(int) override {}
  void SetValue(int value) override { values.push_back(value); }
  void SetInterval(int milliseconds) override { interval = milliseconds; }

  const ControlLayout& Layout() const { return layout; }
  NoSurface& Surface() { return surface_; }  // as a frame
  void OnWindowLoaded() {
    if (layout.kind == ControlKind::kTimer && layout.enabled) SetEnabled(true);
  }
  void Reset() {
    caption = layout.caption;
    history.clear();
    foreColor = layout.foreColor.value_or(0);
    visible = layout.visible;
    enabled = layout.enabled && layout.kind != ControlKind::kTimer;  // timers start at load
    values.clear();
    interval = layout.interval;
    ticks = 0;
  }
  // A user's click: reaches the handler of a visible, enabled button or of an image.
  bool Click() {
    const bool button = layout.kind == ControlKind::kButton;
    const std::function<void()>& handler = button ? Button::onClick : Image::onClick;
    if ((button && (!visible || !enabled)) || !handler) return false;
    handler();
    return true;
  }

  const ControlLayout& layout;
  std::u16string caption;
  std::vector<std::u16string> history;
  Rgb foreColor = 0;
  bool visible = true, enabled = true;
  int interval = 0;
  std::vector<int> values;
  std::int64_t nextDue = 0;  // timers: the next tick, whether its handler runs, ticks so far
  bool ticking = false;
  int ticks = 0;

 private:
  const std::int64_t& clock_;
  NoSurface surface_;
};

// The close, load and reset of a window are LayoutWindow's, as in the real back ends.
class HeadlessWindow final : public LayoutWindow<HeadlessControl, NoSurface, HeadlessControl> {
 public:
  HeadlessWindow(HeadlessBackend& backend, const WindowLayout& windowLayout);
  ~HeadlessWindow() override;

  void SetCaption(const std::u16string& text) override { caption = text; }
  void ShowModal() override;
  void SetTopmost(bool onTop) override { topmostCalls.push_back(onTop); }

  HeadlessControl& Control(std::string_view name) {
    if (HeadlessControl* control = ControlNamed(name)) return *control;
    throw std::logic_error("no control named " + std::string(name) + " in " + layout.name);
  }
  // A user's click on a button or an image; false when it could not reach its handler
  // (hidden, disabled, the window not shown, or another window is modal).
  bool Click(std::string_view name);

  const WindowLayout& layout = layout_;
  std::u16string caption;
  bool visible = false;
  std::vector<bool> topmostCalls;  // every SetTopmost argument, in order

 private:
  friend class HeadlessBackend;
  using Made = std::unique_ptr<HeadlessControl>;
  Made New(const ControlLayout& c);
  Made NewLabel(const ControlLayout& c, NoSurface&) override { return New(c); }
  Made NewTextBox(const ControlLayout& c, NoSurface&) override { return New(c); }
  Made NewButton(const ControlLayout& c, NoSurface&) override { return New(c); }
  Made NewImage(const ControlLayout& c, NoSurface&) override { return New(c); }
  Made NewProgressBar(const ControlLayout& c, NoSurface&) override { return New(c); }
  Made NewTimer(const ControlLayout& c) override { return New(c); }
  Made NewFrame(const ControlLayout& c, NoSurface&) override { return New(c); }
  void DrawShape(const ControlLayout&, NoSurface&) override {}
  void CentreOnScreen() override {}
  void ShowActive() override { visible = true; }
  void Hide() override { visible = false; }

  HeadlessBackend& backend_;
  NoSurface surface_;
};

struct MessageRecord {
  std::u16string prompt;
  int style = 0;
  std::u16string title;
};

struct SaveDialogRecord {
  std::u16string initDir, filter, fileName;  // as the dialog was shown
};

class HeadlessBackend final : public Ui {
 public:
  HeadlessBackend() : previousUi_(UseUi(this)) {}
  ~HeadlessBackend() override { UseUi(previousUi_); }

  std::unique_ptr<Window> NewWindow(const WindowLayout& layout) override {
    return std::make_unique<HeadlessWindow>(*this, layout);
  }
  std::unique_ptr<SaveDialog> NewSaveDialog() override;
  MsgBoxResult MsgBox(const std::u16string& prompt, int style,
                      const std::u16string& title) override {
    messages.push_back({prompt, style, title});
    if (whileAsked) whileAsked();
    if (msgAnswers.empty()) return (style & kMsgYesNo) ? MsgBoxResult::kNo : MsgBoxResult::kOk;
    const MsgBoxResult answer = msgAnswers.front();
    msgAnswers.pop_front();
    return answer;
  }
  void DoEvents() override {
    ++yields;
    if (onEveryYield) onEveryYield();
  }
  [[noreturn]] void EndProgram() override { throw ProgramEnded{}; }

  // --- virtual clock: timer ticks and scheduled actions fire in time order ---
  std::int64_t Now() const { return now_; }
  void Advance(std::int64_t milliseconds) { FireDue(now_ + milliseconds); }
  void At(std::int64_t atMs, std::function<void()> action) {
    scheduled_.emplace(atMs, std::move(action));
  }
  bool Step();  // to the next due event and fire it; false when nothing is pending

  int yields = 0;                      // DoEvents passes so far
  std::function<void()> onEveryYield;  // runs inside every pass

  // Message boxes: answered from the queue, else OK / No.
  std::vector<MessageRecord> messages;
  std::deque<MsgBoxResult> msgAnswers;
  std::function<void()> whileAsked;  // runs while a message box waits for its answer
  // Save dialog: answered from the queue (a path, or "" to dismiss); an empty queue dismisses.
  std::vector<SaveDialogRecord> saveDialogs;
  std::deque<std::u16string> saveAnswers;

  HeadlessWindow* modalWindow = nullptr;
  HeadlessWindow& WindowNamed(const std::string& name) {  // the last one of that name
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
      if ((*it)->layout.name == name) return **it;
    }
    throw std::logic_error("no window named " + name);
  }

 private:
  friend class HeadlessWindow;
  void FireDue(std::int64_t until);
  std::vector<HeadlessControl*> ActiveTimers();

  std::int64_t now_ = 0;
  std::multimap<std::int64_t, std::function<void()>> scheduled_;
  std::vector<HeadlessWindow*> windows_;
  Ui* previousUi_;
};

}  // namespace larkspan::test
