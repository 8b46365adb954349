#include "doubles/recording_pointer.h"

namespace vornix::output {

void RecordingPointer::record(const Event& event) {
  if (events_.size() >= kCapacity) events_.erase(events_.begin(), events_.begin() + kCapacity / 2);
  events_.push_back(event);
}

std::vector<RecordingPointer::Event> RecordingPointer::buttonEvents() const {
  std::vector<Event> buttons;
  for (const Event& event : events_)
    if (event.kind != Event::Move) buttons.push_back(event);
  return buttons;
}

}  // namespace vornix::output
