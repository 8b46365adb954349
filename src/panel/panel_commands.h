#pragma once
// The operator's commands that stay on the panel: mode selection, the run switch, hiding the
// panel and clearing the drawing pane.

#include "panel/mainfrm.h"

namespace vornix::panel {

class PanelCommands {
public:
  explicit PanelCommands(MAINFRM& f) : f_(f) {}

  // A mode button became selected (by the operator or the configuration load).
  void Option4_Click(int index);
  // The run switch: the main tick runs exactly while Check5 is not cleared.
  void Check5_Click();
  void Command1_Click();   // "隐藏"
  void Command11_Click();  // "清屏"

private:
  MAINFRM& f_;
};

}  // namespace vornix::panel
