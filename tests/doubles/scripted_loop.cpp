#include "doubles/scripted_loop.h"

#include "form/controls.h"
#include "form/errors.h"

#include <algorithm>

namespace vornix::form {

void ScriptedLoop::watch(Timer& timer) {
  const std::size_t slot = entries_.size();
  entries_.push_back({&timer, now_ + timer.interval()});
  // Enabling a timer, or changing its interval, starts its period afresh.
  timer.subscribe([this, slot] {
    Entry& entry = entries_[slot];
    entry.due = now_ + entry.timer->interval();
  });
}

void ScriptedLoop::processEvents() {
  ++yields_;
  while (!posted_.empty()) {
    auto action = std::move(posted_.front());
    posted_.pop_front();
    runEvent("posted action", action);
  }
  runDue();
}

void ScriptedLoop::advance(qint64 ms) {
  const qint64 end = now_ + ms;
  for (;;) {
    qint64 next = end;
    for (const Entry& e : entries_)
      if (e.timer->timerEnabled() && !e.running && e.timer->interval() > 0) next = std::min(next, e.due);
    now_ = std::max(now_, next);
    runDue();
    if (now_ >= end) break;
  }
}

void ScriptedLoop::runDue() {
  // Index loop: handlers may watch new timers while we walk.
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    Entry& e = entries_[i];
    if (e.timer->timerEnabled() && !e.running && e.timer->interval() > 0 && e.due <= now_) fire(e);
  }
}

void ScriptedLoop::fire(Entry& entry) {
  const std::size_t slot = static_cast<std::size_t>(&entry - entries_.data());
  entries_[slot].running = true;
  entries_[slot].due = now_ + entries_[slot].timer->interval();
  Timer* timer = entries_[slot].timer;
  if (timer->onTimer) runEvent(qPrintable(timer->fullName()), timer->onTimer);
  entries_[slot].running = false;
}

}  // namespace vornix::form
