#pragma once
// A pointer backend for tests.

#include "output/pointer.h"

#include <cstddef>
#include <vector>

namespace vornix::output {

// Delivers nothing and records the latest events for tests, at most kCapacity of them: past
// that, the older half is dropped.
class RecordingPointer : public PointerBackend {
public:
  struct Event {
    enum Kind { Move, Press, Release };
    Kind kind;
    int x = 0;
    int y = 0;

    static Event move(int x, int y) { return {Move, x, y}; }
    static Event press() { return {Press}; }
    static Event release() { return {Release}; }
    bool operator==(const Event&) const = default;
  };
  static constexpr std::size_t kCapacity = 100'000;

  void moveTo(int x, int y) override { record(Event::move(x, y)); }
  void press() override { record(Event::press()); }
  void release() override { record(Event::release()); }
  QString name() const override { return QStringLiteral("recording"); }

  const std::vector<Event>& events() const { return events_; }
  // The presses and releases, without the moves.
  std::vector<Event> buttonEvents() const;
  void clear() { events_.clear(); }

private:
  void record(const Event& event);
  std::vector<Event> events_;
};

}  // namespace vornix::output
