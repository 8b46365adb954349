#pragma once

#include <functional>

namespace vornix::app {

// SIGINT, SIGTERM and SIGHUP run onSignal from the event loop (also from a loop nested in it,
// such as a message box's), so that the program ends through its own end steps, such as
// releasing a held mouse button.
void quitOnSignals(std::function<void()> onSignal);

}  // namespace vornix::app
