#pragma once
// The operator's commands on the panel: mode selection and the run switch.

#include "panel/mainfrm.h"

namespace vornix::panel {

class PanelCommands {
public:
  explicit PanelCommands(MAINFRM& f) : f_(f) {}

  // A mode button became selected (by the operator or the configuration load).
  void Option4_Click(int index);
  // The run switch: the main tick runs exactly while Check5 is not cleared.
  void Check5_Click();

private:
  MAINFRM& f_;
};

}  // namespace vornix::panel
