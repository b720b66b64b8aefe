#include "support/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "platform/CodePage.h"

namespace larkspan::test {

std::string Narrow(const std::u16string& text) { return ToUtf8(text); }

// ---------------------------------------------------------------- controls

void HeadlessLabel::SetCaption(const std::u16string& text) {
  caption = text;
  captionHistory.push_back(text);
}

void HeadlessProgressBar::SetValue(int v) {
  value = v;
  valueHistory.push_back(v);
}

void HeadlessTimer::SetEnabled(bool value) {
  // Enabling (again) starts the count of the interval from now, as a window timer does.
  if (value) nextDue = backend_.Now() + std::max(interval, 1);
  enabled = value;
}

// ---------------------------------------------------------------- window

HeadlessWindow::HeadlessWindow(HeadlessBackend& backend, const WindowLayout& layout)
    : backend_(backend), layout_(layout) {
  for (const ControlLayout& c : layout.controls) {
    switch (c.kind) {
      case ControlKind::kLabel:
        labels_.emplace(c.name, std::make_unique<HeadlessLabel>());
        break;
      case ControlKind::kTextBox:
        textBoxes_.emplace(c.name, std::make_unique<HeadlessTextBox>());
        break;
      case ControlKind::kButton:
        buttons_.emplace(c.name, std::make_unique<HeadlessButton>());
        break;
      case ControlKind::kImage:
        images_.emplace(c.name, std::make_unique<HeadlessImage>());
        break;
      case ControlKind::kProgressBar:
        bars_.emplace(c.name, std::make_unique<HeadlessProgressBar>());
        break;
      case ControlKind::kTimer:
        timers_.emplace(c.name, std::make_unique<HeadlessTimer>(backend));
        break;
      case ControlKind::kFrame:
      case ControlKind::kShape:
        break;
    }
  }
  ResetControls();
  backend_.windows_.push_back(this);
}

HeadlessWindow::~HeadlessWindow() {
  auto& list = backend_.windows_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  if (backend_.modalWindow == this) backend_.modalWindow = nullptr;
}

template <class T>
T& HeadlessWindow::Find(std::map<std::string, std::unique_ptr<T>, std::less<>>& controls,
                        std::string_view name) {
  auto it = controls.find(name);
  if (it == controls.end()) {
    throw std::logic_error("no control of that kind named " + std::string(name) + " in " +
                           layout_.name);
  }
  return *it->second;
}

void HeadlessWindow::ResetControls() {
  caption = layout_.caption;
  for (const ControlLayout& c : layout_.controls) {
    switch (c.kind) {
      case ControlKind::kLabel: {
        HeadlessLabel& l = *labels_.at(c.name);
        l.caption = c.caption;
        l.foreColor = c.foreColor.value_or(0);
        l.captionHistory.clear();
        break;
      }
      case ControlKind::kTextBox:
        textBoxes_.at(c.name)->text = c.caption;
        break;
      case ControlKind::kButton: {
        HeadlessButton& b = *buttons_.at(c.name);
        b.caption = c.caption;
        b.visible = c.visible;
        b.enabled = c.enabled;
        break;
      }
      case ControlKind::kImage:
        images_.at(c.name)->tag = c.tag;
        break;
      case ControlKind::kProgressBar: {
        HeadlessProgressBar& p = *bars_.at(c.name);
        p.maximum = c.maximum;
        p.value = 0;
        p.valueHistory.clear();
        break;
      }
      case ControlKind::kTimer: {
        HeadlessTimer& t = *timers_.at(c.name);
        t.interval = c.interval;
        t.enabled = false;
        t.ticks = 0;
        break;
      }
      case ControlKind::kFrame:
      case ControlKind::kShape:
        break;
    }
  }
}

void HeadlessWindow::Load() {
  if (loaded) return;
  loaded = true;
  ++loads;
  for (const ControlLayout& c : layout_.controls) {
    if (c.kind == ControlKind::kTimer && c.enabled) timers_.at(c.name)->SetEnabled(true);
  }
  if (onLoad) onLoad();
}

void HeadlessWindow::Show() {
  Load();
  visible = true;
}

void HeadlessWindow::ShowModal() {
  Load();
  visible = true;
  modal = true;
  HeadlessWindow* outer = backend_.modalWindow;
  backend_.modalWindow = this;
  // The modal loop: time passes until the window is closed. With nothing left that could
  // close it, the test has scripted too little; fail instead of waiting forever.
  while (visible) {
    if (!backend_.Step()) {
      ADD_FAILURE() << "modal window " << layout_.name << " waits with nothing left to happen";
      break;
    }
  }
  modal = false;
  backend_.modalWindow = outer;
}

bool HeadlessWindow::Close() {
  bool cancel = false;
  if (onQueryUnload) onQueryUnload(cancel);
  if (cancel) return false;
  if (onUnload) onUnload(cancel);
  if (cancel) return false;
  visible = false;
  loaded = false;
  for (auto& [name, timer] : timers_) timer->enabled = false;
  ResetControls();
  return true;
}

void HeadlessWindow::SetTopmost(bool onTop) {
  topmost = onTop;
  topmostCalls.push_back(onTop);
}

bool HeadlessWindow::Click(std::string_view buttonName) {
  HeadlessButton& b = ButtonNamed(buttonName);
  bool blockedByModal = backend_.modalWindow != nullptr && backend_.modalWindow != this;
  if (!visible || !b.visible || !b.enabled || blockedByModal || !b.onClick) return false;
  b.onClick();
  return true;
}

bool HeadlessWindow::ClickImage(std::string_view imageName) {
  HeadlessImage& i = ImageNamed(imageName);
  bool blockedByModal = backend_.modalWindow != nullptr && backend_.modalWindow != this;
  if (!visible || blockedByModal || !i.onClick) return false;
  i.onClick();
  return true;
}

std::vector<HeadlessTimer*> HeadlessWindow::Timers() {
  std::vector<HeadlessTimer*> result;
  for (auto& [name, timer] : timers_) result.push_back(timer.get());
  return result;
}

// ---------------------------------------------------------------- dialog

void HeadlessSaveDialog::ShowSave() {
  SaveDialogRecord record{InitDir, Filter, FileName};
  backend_.saveDialogs.push_back(record);
  std::u16string answer;
  if (backend_.onSaveDialog) {
    answer = backend_.onSaveDialog(record);
  } else if (!backend_.saveAnswers.empty()) {
    answer = backend_.saveAnswers.front();
    backend_.saveAnswers.pop_front();
  }
  FileName = answer;
}

// ---------------------------------------------------------------- back end

HeadlessBackend::HeadlessBackend() { previousServices_ = InstallUiServices(this); }

HeadlessBackend::~HeadlessBackend() { InstallUiServices(previousServices_); }

std::unique_ptr<Window> HeadlessBackend::CreateWindow(const WindowLayout& layout) {
  return std::make_unique<HeadlessWindow>(*this, layout);
}

std::unique_ptr<SaveDialog> HeadlessBackend::CreateSaveDialog() {
  return std::make_unique<HeadlessSaveDialog>(*this);
}

MsgBoxResult HeadlessBackend::MsgBox(const std::u16string& prompt, int style,
                                     const std::u16string& title) {
  MessageRecord record{prompt, style, title};
  messages.push_back(record);
  if (onMsgBox) return onMsgBox(record);
  if (!msgAnswers.empty()) {
    MsgBoxResult answer = msgAnswers.front();
    msgAnswers.pop_front();
    return answer;
  }
  return (style & kMsgYesNo) == kMsgYesNo ? MsgBoxResult::kNo : MsgBoxResult::kOk;
}

void HeadlessBackend::DoEvents() {
  ++yields;
  auto [first, last] = yieldActions_.equal_range(yields);
  std::vector<std::function<void()>> due;
  for (auto it = first; it != last; ++it) due.push_back(std::move(it->second));
  yieldActions_.erase(first, last);
  for (auto& action : due) action();
  if (onEveryYield) onEveryYield();
  if (msPerYield > 0) Advance(msPerYield);
}

void HeadlessBackend::EndProgram() {
  programEnded = true;
  throw ProgramEnded{};
}

void HeadlessBackend::AtYield(int n, std::function<void()> action) {
  yieldActions_.emplace(n, std::move(action));
}

void HeadlessBackend::At(std::int64_t atMs, std::function<void()> action) {
  scheduled_.emplace(atMs, std::move(action));
}

std::vector<HeadlessTimer*> HeadlessBackend::ActiveTimers() {
  std::vector<HeadlessTimer*> result;
  for (HeadlessWindow* w : windows_) {
    if (!w->loaded) continue;
    for (HeadlessTimer* t : w->Timers()) {
      if (t->enabled && t->interval > 0) result.push_back(t);
    }
  }
  return result;
}

// Fires, in time order, every timer tick and scheduled action due up to `until`. A timer
// whose handler is still running (it pumps events deeper in the stack) does not tick again:
// its missed ticks are dropped, as a window timer's are.
void HeadlessBackend::FireDue(std::int64_t until) {
  for (;;) {
    HeadlessTimer* nextTimer = nullptr;
    for (HeadlessTimer* t : ActiveTimers()) {
      if (t->ticking) {
        while (t->nextDue <= until) t->nextDue += t->interval;
        continue;
      }
      if (t->nextDue <= until && (!nextTimer || t->nextDue < nextTimer->nextDue)) nextTimer = t;
    }
    auto action = scheduled_.begin();
    bool actionDue = action != scheduled_.end() && action->first <= until;
    if (!nextTimer && !actionDue) break;
    if (actionDue && (!nextTimer || action->first <= nextTimer->nextDue)) {
      now_ = std::max(now_, action->first);
      std::function<void()> run = std::move(action->second);
      scheduled_.erase(action);
      run();
      continue;
    }
    now_ = std::max(now_, nextTimer->nextDue);
    nextTimer->nextDue += nextTimer->interval;
    nextTimer->ticking = true;
    ++nextTimer->ticks;
    struct Untick {
      HeadlessTimer* t;
      ~Untick() { t->ticking = false; }
    } untick{nextTimer};
    if (nextTimer->onTick) nextTimer->onTick();
  }
  now_ = std::max(now_, until);
}

void HeadlessBackend::Advance(std::int64_t milliseconds) { FireDue(now_ + milliseconds); }

bool HeadlessBackend::Step() {
  std::int64_t next = INT64_MAX;
  for (HeadlessTimer* t : ActiveTimers()) {
    if (!t->ticking) next = std::min(next, t->nextDue);
  }
  if (!scheduled_.empty()) next = std::min(next, scheduled_.begin()->first);
  if (next == INT64_MAX) return false;
  FireDue(std::max(next, now_));
  return true;
}

HeadlessWindow& HeadlessBackend::WindowNamed(const std::string& name) {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if ((*it)->Layout().name == name) return **it;
  }
  throw std::logic_error("no window named " + name);
}

}  // namespace larkspan::test
