#pragma once
// The clock of a source that makes its own frames (the demo scene, the simulated room): frame n
// is due at start + n periods. While told to, a thread of its own tells of each frame as its
// time comes, as a camera's capture thread would.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace vornix::capture {

class FrameTicker {
public:
  using Clock = std::chrono::steady_clock;

  explicit FrameTicker(Clock::duration period) : period_(period) {}
  ~FrameTicker() { stop(); }
  FrameTicker(const FrameTicker&) = delete;
  FrameTicker& operator=(const FrameTicker&) = delete;

  // The frame due now.
  std::int64_t frameNow() const { return (Clock::now() - start_) / period_; }
  Clock::time_point frameTime(std::int64_t frame) const { return start_ + frame * period_; }

  // Calls notify (on the ticker's thread) at the time of every frame after the current one,
  // until stop() or the next tell(); tell(nullptr) only stops.
  void tell(std::function<void()> notify);
  void stop();

private:
  const Clock::duration period_;
  const Clock::time_point start_ = Clock::now();
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
};

}  // namespace vornix::capture
