#include "engine/processing.h"

namespace vornix::engine {

// The detection passes are not built yet: each entry point runs nothing.
void Processing::Command2_Click() {}
void Processing::Command8_Click() {}
void Processing::Command9_Click() {}
void Processing::Command10_Click() {}

}  // namespace vornix::engine
