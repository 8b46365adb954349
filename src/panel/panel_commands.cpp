#include "panel/panel_commands.h"

#include "base/text_rules.h"
#include "base/trace.h"

namespace vornix::panel {

void PanelCommands::Option4_Click(int index) {
  f_.Label9.setCaption(decimalText(index));
  trace("mode", f_.Label9.caption());
}

void PanelCommands::Check5_Click() { f_.Timer1.setTimerEnabled(f_.Check5.value() != 0); }

void PanelCommands::Command1_Click() { f_.window.hide(); }

void PanelCommands::Command11_Click() { f_.Picture4.clear(); }

}  // namespace vornix::panel
