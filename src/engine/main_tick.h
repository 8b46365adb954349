#pragma once
// The 50 ms main tick that runs the pass of the selected projection mode, and the one-second
// frame-rate meter that counts the ticks.

#include "panel/mainfrm.h"

namespace vornix::engine {

class MainTick {
public:
  explicit MainTick(panel::MAINFRM& f) : f_(f) {}

  // Runs at most one pass: the click action of the hidden button of the mode in Label9. The eight
  // mode tests are independent and each reads Label9 afresh, so a mode change made during a
  // pass is seen by the tests after it. A tick that falls due while a pass is still running
  // (yielding to the event loop) is dropped.
  void Timer1_Timer();

  // Shows the ticks counted in the tag of Timer3 during the last second, then restarts the count.
  void Timer3_Timer();

  bool passRunning() const { return passRunning_; }

private:
  panel::MAINFRM& f_;
  bool passRunning_ = false;
};

}  // namespace vornix::engine
