// The timer logic that both back ends share: when the system's timer runs, and which ticks
// reach the handler.
#include "ui/TimerState.h"

#include <gtest/gtest.h>

#include <vector>

namespace larkspan {
namespace {

// Records the system timer's starts (their interval) and stops (0).
class RecordingTimer final : public TimerState {
 public:
  RecordingTimer() { ResetTo(100); }
  void Reset() { ResetTo(100); }
  std::vector<int> calls;

 private:
  void StartSystemTimer(int milliseconds) override { calls.push_back(milliseconds); }
  void StopSystemTimer() override { calls.push_back(0); }
};

TEST(TimerStateTest, RestartsOnEveryChangeAndDropsTicksWhileItsHandlerRunsOrOnceDisabled) {
  RecordingTimer timer;
  int handled = 0;
  // Each handled tick brings another one due while the handler yields.
  timer.onTick = [&] { ++handled, timer.Tick(); };
  timer.Tick();            // not enabled yet
  timer.SetInterval(250);  // disabled: stays stopped
  timer.SetEnabled(true);
  timer.Tick();
  timer.Tick();
  timer.SetInterval(250);  // counts afresh from now
  timer.SetInterval(0);    // enabled but silent
  timer.SetInterval(40);
  timer.SetEnabled(false);
  timer.Tick();  // already on its way when it was disabled
  timer.Reset();
  EXPECT_EQ(timer.calls, (std::vector<int>{0, 0, 250, 250, 0, 40, 0, 0}));
  EXPECT_EQ(handled, 2);
  EXPECT_FALSE(timer.Enabled());
}

}  // namespace
}  // namespace larkspan
