#pragma once

namespace vornix::app {

// SIGINT, SIGTERM and SIGHUP end the event loop normally, so that the program's end steps (such
// as releasing a held mouse button) run.
void quitOnSignals();

}  // namespace vornix::app
