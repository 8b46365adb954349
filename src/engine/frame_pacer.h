#pragma once
// Frame pacing (帧率同步): a pass starts as soon as the camera delivers a new frame instead of
// at the next 50 ms tick. One pass per new frame, still one pass at a time; a frame that
// arrives while a pass runs is taken by a pass right after it. The run switch still stops the
// passes, and the meter counts passes, as it counted ticks.

#include "engine/main_tick.h"
#include "form/event_loop.h"
#include "panel/mainfrm.h"

#include <functional>

namespace vornix::engine {

class FramePacer {
public:
  FramePacer(panel::MAINFRM& f, form::EventLoop& loop, MainTick& tick) : f_(f), loop_(loop), tick_(tick) {}

  // Whether frames pace the passes: the check box 帧率同步.
  bool active() const { return f_.Check10.value() == 1; }

  // A new frame is ready (on the user-interface thread): runs its pass unless one is running.
  void frameArrived();

  // Whether the capture has a frame no pass has taken yet.
  std::function<bool()> frameWaiting;
  // After each pass this pacer ran.
  std::function<void()> passDone;

private:
  panel::MAINFRM& f_;
  form::EventLoop& loop_;
  MainTick& tick_;
  bool running_ = false;
};

}  // namespace vornix::engine
