#pragma once
// An event loop whose time moves only when a test advances it. Timers fire at their due times
// in order; a timer whose handler is running is never entered again, so a tick that falls due
// meanwhile is dropped, as in the program's Qt loop.

#include "form/event_loop.h"

#include <deque>
#include <optional>
#include <vector>

namespace vornix::form {

class ScriptedLoop : public EventLoop {
public:
  void processEvents() override;
  void watch(Timer& timer) override;
  void post(std::function<void()> action) override { posted_.push_back(std::move(action)); }
  qint64 nowMs() const override { return now_; }
  void requestQuit(int status) override {
    if (!quitStatus_) quitStatus_ = status;
  }
  bool quitRequested() const override { return quitStatus_.has_value(); }
  std::optional<int> quitStatus() const { return quitStatus_; }

  // Moves time forward by ms, firing every timer that falls due on the way.
  void advance(qint64 ms);
  // Moves the clock without firing anything (time spent inside a handler).
  void spend(qint64 ms) { now_ += ms; }
  // How often processEvents was called.
  int yields() const { return yields_; }

private:
  struct Entry {
    Timer* timer;
    qint64 due;
    bool running = false;
  };
  void runDue();
  void fire(Entry& entry);

  std::vector<Entry> entries_;
  std::deque<std::function<void()>> posted_;
  qint64 now_ = 0;
  int yields_ = 0;
  std::optional<int> quitStatus_;
};

}  // namespace vornix::form
