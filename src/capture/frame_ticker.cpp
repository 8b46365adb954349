#include "capture/frame_ticker.h"

namespace vornix::capture {

void FrameTicker::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void FrameTicker::tell(std::function<void()> notify) {
  stop();
  stopping_ = false;
  if (!notify) return;
  thread_ = std::thread([this, notify = std::move(notify)] {
    std::unique_lock lock(mutex_);
    for (std::int64_t frame = frameNow() + 1;; ++frame) {
      if (wake_.wait_until(lock, frameTime(frame), [this] { return stopping_; })) return;
      notify();
    }
  });
}

}  // namespace vornix::capture
