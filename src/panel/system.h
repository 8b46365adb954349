#pragma once
// The running system: the panel's controls, the modules that own their handlers, and the ports
// to the outside world they use. The handlers are attached to the controls in wiring.cpp.

#include "engine/main_tick.h"
#include "engine/processing.h"
#include "form/dialogs.h"
#include "form/event_loop.h"
#include "panel/mainfrm.h"
#include "panel/panel_commands.h"

namespace vornix::panel {

// What the system needs from outside; the program passes Qt-backed ports, tests scripted ones.
struct Ports {
  form::EventLoop& loop;
  form::Dialogs& dialogs;
};

class System {
public:
  explicit System(Ports ports);
  System(const System&) = delete;
  System& operator=(const System&) = delete;

  MAINFRM f;
  Ports ports;
  engine::MainTick tick{f};
  engine::Processing processing{f};
  PanelCommands commands{f};

private:
  void wire();
};

}  // namespace vornix::panel
