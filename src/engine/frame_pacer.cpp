#include "engine/frame_pacer.h"

namespace vornix::engine {

void FramePacer::frameArrived() {
  if (running_ || tick_.passRunning() || !active() || !f_.Timer1.timerEnabled() || loop_.quitRequested()) return;
  if (!frameWaiting || !frameWaiting()) return;
  running_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{running_};
  tick_.Timer1_Timer();
  if (passDone) passDone();
  // A frame that came while the pass ran (it was told, and did nothing) gets its pass now,
  // after the loop has run what else is due.
  if (frameWaiting()) loop_.post([this] { frameArrived(); });
}

}  // namespace vornix::engine
