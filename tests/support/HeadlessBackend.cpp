#include "support/HeadlessBackend.h"

namespace larkspan::test {

HeadlessWindow::HeadlessWindow(HeadlessBackend& backend, const WindowLayout& windowLayout)
    : LayoutWindow(windowLayout), caption(windowLayout.caption), backend_(backend) {
  BuildControls(surface_);
  backend_.windows_.push_back(this);
}

std::unique_ptr<HeadlessControl> HeadlessWindow::New(const ControlLayout& c) {
  return std::make_unique<HeadlessControl>(backend_.now_, c);
}

HeadlessWindow::~HeadlessWindow() {
  std::erase(backend_.windows_, this);
  if (backend_.modalWindow == this) backend_.modalWindow = nullptr;
}

void HeadlessWindow::ShowModal() {
  Show();
  HeadlessWindow* outer = std::exchange(backend_.modalWindow, this);
  // The modal loop: time passes until the window is closed. With nothing left that could
  // close it, the test has scripted too little; fail instead of waiting forever.
  while (visible) {
    if (!backend_.Step()) {
      ADD_FAILURE() << "modal window " << layout.name << " waits with nothing left to happen";
      break;
    }
  }
  backend_.modalWindow = outer;
}

bool HeadlessWindow::Click(std::string_view name) {
  const bool blockedByModal = backend_.modalWindow != nullptr && backend_.modalWindow != this;
  return visible && !blockedByModal && Control(name).Click();
}

std::unique_ptr<SaveDialog> HeadlessBackend::NewSaveDialog() {
  struct Dialog final : SaveDialog {
    explicit Dialog(HeadlessBackend& b) : backend(b) {}
    void ShowSave() override {
      backend.saveDialogs.push_back({InitDir, Filter, FileName});
      FileName.clear();
      if (backend.saveAnswers.empty()) return;
      FileName = backend.saveAnswers.front();
      backend.saveAnswers.pop_front();
    }
    HeadlessBackend& backend;
  };
  return std::make_unique<Dialog>(*this);
}

std::vector<HeadlessControl*> HeadlessBackend::ActiveTimers() {
  std::vector<HeadlessControl*> timers;
  for (HeadlessWindow* w : windows_) {
    for (auto& c : w->controls_) {
      const bool timer = c->layout.kind == ControlKind::kTimer;
      if (w->Loaded() && timer && c->enabled && c->interval > 0) timers.push_back(c.get());
    }
  }
  return timers;
}

// Fires, in time order, every timer tick and scheduled action due up to `until`. A timer
// whose handler is still running (it pumps events deeper in the stack) does not tick again:
// its missed ticks are dropped, as a window timer's are.
void HeadlessBackend::FireDue(std::int64_t until) {
  for (;;) {
    HeadlessControl* timer = nullptr;
    for (HeadlessControl* t : ActiveTimers()) {
      if (t->ticking) {
        while (t->nextDue <= until) t->nextDue += t->interval;
      } else if (t->nextDue <= until && (!timer || t->nextDue < timer->nextDue)) {
        timer = t;
      }
    }
    const auto action = scheduled_.begin();
    const bool actionDue = action != scheduled_.end() && action->first <= until;
    if (!timer && !actionDue) break;
    if (actionDue && (!timer || action->first <= timer->nextDue)) {
      now_ = std::max(now_, action->first);
      const std::function<void()> run = std::move(action->second);
      scheduled_.erase(action);
      run();
      continue;
    }
    now_ = std::max(now_, timer->nextDue);
    timer->nextDue += timer->interval;
    timer->ticking = true;
    ++timer->ticks;
    struct Untick {
      HeadlessControl* t;
      ~Untick() { t->ticking = false; }
    } untick{timer};
    if (timer->onTick) timer->onTick();
  }
  now_ = std::max(now_, until);
}

bool HeadlessBackend::Step() {
  std::int64_t next = INT64_MAX;
  for (HeadlessControl* t : ActiveTimers()) next = t->ticking ? next : std::min(next, t->nextDue);
  if (!scheduled_.empty()) next = std::min(next, scheduled_.begin()->first);
  if (next == INT64_MAX) return false;
  FireDue(std::max(next, now_));
  return true;
}

}  // namespace larkspan::test
