#include "doubles/recording_pointer.h"

namespace vornix::output {

void RecordingPointer::record(const Event& event) {
  if (events_.size() >= kCapacity) events_.erase(events_.begin(), events_.begin() + kCapacity / 2);
  events_.push_back(event);
}

}  // namespace vornix::output
