// The event graph of the panel: which handler each control runs. Handler bodies live in the
// modules that own the behaviour.

#include "panel/system.h"

#include "panel/machine_identity.h"

namespace vornix::panel {

System::System(Ports p) : ports(p) {
  f.Text11.initText(localIPv4Address());
  f.Text13.initText(localHostName());
  wire();
  for (form::Timer* timer : f.timers()) ports.loop.watch(*timer);
}

void System::wire() {
  // Main tick and mode dispatch.
  f.Timer1.onTimer = [this] { tick.Timer1_Timer(); };
  f.Timer3.onTimer = [this] { tick.Timer3_Timer(); };
  f.Command2.onClick = [this] { processing.Command2_Click(); };
  f.Command8.onClick = [this] { processing.Command8_Click(); };
  f.Command9.onClick = [this] { processing.Command9_Click(); };
  f.Command10.onClick = [this] { processing.Command10_Click(); };

  // Mode selection and the run switch.
  for (auto& button : f.Option4) button.onClick = [this](int index) { commands.Option4_Click(index); };
  f.Check5.onClick = [this] { commands.Check5_Click(); };
}

}  // namespace vornix::panel
