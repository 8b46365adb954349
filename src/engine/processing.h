#pragma once
// The processing functions: the click actions of the hidden buttons that the main tick runs,
// one per family of projection modes.

#include "panel/mainfrm.h"

namespace vornix::engine {

class Processing {
public:
  explicit Processing(panel::MAINFRM& f) : f_(f) {}

  void Command2_Click();   // processing function 0: floor, wall and page modes 0, 1, 2
  void Command8_Click();   // processing function 3: rear projection, mode 3
  void Command9_Click();   // processing function 6: two-point touch, mode 6
  void Command10_Click();  // processing function 7: page-flip click, mode 7

private:
  [[maybe_unused]] panel::MAINFRM& f_;
};

}  // namespace vornix::engine
