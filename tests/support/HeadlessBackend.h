#pragma once
// The headless back end of the control contracts, for behaviour tests of the windows: no
// display and no waiting. It records every caption, text, colour, visibility and enabled
// state; runs timers on a virtual clock that the test advances; answers message boxes and the
// Save dialog from a script, recording what was asked; and runs scripted user actions at
// chosen yields or chosen virtual times.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Layout.h"
#include "platform/Ui.h"
#include "platform/UiFactory.h"

namespace larkspan::test {

// Thrown by EndProgram: the program has ended. Not a std::exception, so the program's
// resume-next guards let it pass, as nothing runs after the real end of the process.
struct ProgramEnded {};

class HeadlessBackend;

class HeadlessLabel final : public Label {
 public:
  void SetCaption(const std::u16string& text) override;
  void SetForeColor(Rgb color) override { foreColor = color; }
  std::u16string caption;
  Rgb foreColor = 0;
  std::vector<std::u16string> captionHistory;  // every caption set since the window loaded
};

class HeadlessTextBox final : public TextBox {
 public:
  void SetText(const std::u16string& value) override { text = value; }
  std::u16string Text() const override { return text; }
  std::u16string text;
};

class HeadlessButton final : public Button {
 public:
  void SetCaption(const std::u16string& text) override { caption = text; }
  void SetVisible(bool value) override { visible = value; }
  void SetEnabled(bool value) override { enabled = value; }
  std::u16string caption;
  bool visible = true;
  bool enabled = true;
};

class HeadlessImage final : public Image {
 public:
  std::u16string Tag() const override { return tag; }
  std::u16string tag;
};

class HeadlessProgressBar final : public ProgressBar {
 public:
  void SetMax(int value) override { maximum = value; }
  void SetValue(int v) override;
  int maximum = 100;
  int value = 0;
  std::vector<int> valueHistory;
};

class HeadlessTimer final : public Timer {
 public:
  explicit HeadlessTimer(HeadlessBackend& backend) : backend_(backend) {}
  void SetInterval(int milliseconds) override { interval = milliseconds; }
  void SetEnabled(bool value) override;
  bool Enabled() const override { return enabled; }
  int interval = 0;
  bool enabled = false;
  std::int64_t nextDue = 0;
  bool ticking = false;  // its handler is running: a tick does not re-enter itself
  int ticks = 0;

 private:
  HeadlessBackend& backend_;
};

class HeadlessWindow final : public Window {
 public:
  HeadlessWindow(HeadlessBackend& backend, const WindowLayout& layout);
  ~HeadlessWindow() override;

  void SetCaption(const std::u16string& text) override { caption = text; }
  void Show() override;
  void ShowModal() override;
  bool Close() override;
  void SetTopmost(bool onTop) override;

  Label& GetLabel(std::string_view name) override { return Find(labels_, name); }
  TextBox& GetTextBox(std::string_view name) override { return Find(textBoxes_, name); }
  Button& GetButton(std::string_view name) override { return Find(buttons_, name); }
  Image& GetImage(std::string_view name) override { return Find(images_, name); }
  ProgressBar& GetProgressBar(std::string_view name) override { return Find(bars_, name); }
  Timer& GetTimer(std::string_view name) override { return Find(timers_, name); }

  // Typed access for tests.
  HeadlessLabel& LabelNamed(std::string_view name) { return Find(labels_, name); }
  HeadlessTextBox& TextBoxNamed(std::string_view name) { return Find(textBoxes_, name); }
  HeadlessButton& ButtonNamed(std::string_view name) { return Find(buttons_, name); }
  HeadlessImage& ImageNamed(std::string_view name) { return Find(images_, name); }
  HeadlessProgressBar& BarNamed(std::string_view name) { return Find(bars_, name); }
  HeadlessTimer& TimerNamed(std::string_view name) { return Find(timers_, name); }

  // User actions. A click reaches the handler only on a visible, enabled button of a shown
  // window, and not while a modal window other than this one is open.
  bool Click(std::string_view buttonName);
  bool ClickImage(std::string_view imageName);
  bool CloseBox() { return Close(); }

  const WindowLayout& Layout() const { return layout_; }
  std::vector<HeadlessTimer*> Timers();

  std::u16string caption;
  bool loaded = false;
  bool visible = false;
  bool modal = false;
  bool topmost = false;
  int loads = 0;
  std::vector<bool> topmostCalls;  // every SetTopmost argument, in order

 private:
  template <class T>
  T& Find(std::map<std::string, std::unique_ptr<T>, std::less<>>& controls, std::string_view name);
  void Load();
  void ResetControls();

  HeadlessBackend& backend_;
  const WindowLayout& layout_;
  std::map<std::string, std::unique_ptr<HeadlessLabel>, std::less<>> labels_;
  std::map<std::string, std::unique_ptr<HeadlessTextBox>, std::less<>> textBoxes_;
  std::map<std::string, std::unique_ptr<HeadlessButton>, std::less<>> buttons_;
  std::map<std::string, std::unique_ptr<HeadlessImage>, std::less<>> images_;
  std::map<std::string, std::unique_ptr<HeadlessProgressBar>, std::less<>> bars_;
  std::map<std::string, std::unique_ptr<HeadlessTimer>, std::less<>> timers_;
};

class HeadlessSaveDialog final : public SaveDialog {
 public:
  explicit HeadlessSaveDialog(HeadlessBackend& backend) : backend_(backend) {}
  void ShowSave() override;

 private:
  HeadlessBackend& backend_;
};

struct MessageRecord {
  std::u16string prompt;
  int style = 0;
  std::u16string title;
};

struct SaveDialogRecord {
  std::u16string initDir, filter, fileName;  // as the dialog was shown
};

class HeadlessBackend final : public UiFactory, public UiServices {
 public:
  HeadlessBackend();  // installs itself as the UI services
  ~HeadlessBackend() override;

  std::unique_ptr<Window> CreateWindow(const WindowLayout& layout) override;
  std::unique_ptr<SaveDialog> CreateSaveDialog() override;
  MsgBoxResult MsgBox(const std::u16string& prompt, int style,
                      const std::u16string& title) override;
  void DoEvents() override;
  [[noreturn]] void EndProgram() override;

  // --- virtual clock ---
  std::int64_t Now() const { return now_; }
  // Moves the clock forward by `milliseconds`, firing due timers and scheduled actions in
  // time order.
  void Advance(std::int64_t milliseconds);
  // Runs `action` once the clock reaches `atMs` (absolute virtual time).
  void At(std::int64_t atMs, std::function<void()> action);
  // Moves the clock to the next due event and fires it; false when nothing is pending.
  bool Step();

  // --- yields ---
  int yields = 0;  // DoEvents passes so far
  // Runs `action` inside the n-th DoEvents pass (counting from 1).
  void AtYield(int n, std::function<void()> action);
  // Runs on every DoEvents pass, after the scripted actions of that pass.
  std::function<void()> onEveryYield;
  // Virtual milliseconds that pass in every DoEvents pass (timers due meanwhile tick there).
  std::int64_t msPerYield = 0;

  // --- message boxes ---
  std::vector<MessageRecord> messages;
  std::deque<MsgBoxResult> msgAnswers;  // answers in order; an empty queue answers OK / No
  std::function<MsgBoxResult(const MessageRecord&)> onMsgBox;  // answers before the queue

  // --- Save dialog ---
  std::vector<SaveDialogRecord> saveDialogs;
  std::deque<std::u16string> saveAnswers;  // path chosen, or "" for a dismissal; empty queue dismisses
  std::function<std::u16string(const SaveDialogRecord&)> onSaveDialog;  // answers before the queue

  // --- program end ---
  bool programEnded = false;

  // The windows created so far, by layout name (the last one with that name).
  HeadlessWindow& WindowNamed(const std::string& name);
  HeadlessWindow* modalWindow = nullptr;  // the modal window now open, if any

 private:
  friend class HeadlessWindow;
  friend class HeadlessTimer;
  void FireDue(std::int64_t until);
  std::vector<HeadlessTimer*> ActiveTimers();

  std::int64_t now_ = 0;
  std::multimap<std::int64_t, std::function<void()>> scheduled_;
  std::multimap<int, std::function<void()>> yieldActions_;
  std::vector<HeadlessWindow*> windows_;
  UiServices* previousServices_ = nullptr;
};

// The UTF-8 form of a program text, for readable test failures.
std::string Narrow(const std::u16string& text);

}  // namespace larkspan::test
