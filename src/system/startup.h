#pragma once
// The panel's start-up sequence, the commands that reach beyond the panel (end, shut down) and
// the two pointer watchers: the restore watcher that brings a hidden panel back from the top-left
// screen corner, and the pointer read-out.

#include "panel/configuration.h"
#include "panel/mainfrm.h"
#include "panel/panel_commands.h"

namespace vornix::system {

using panel::MAINFRM;

struct Ports;

class Startup {
public:
  Startup(MAINFRM& f, Ports& ports, panel::Configuration& configuration, panel::PanelCommands& commands)
      : f_(f), ports_(ports), configuration_(configuration), commands_(commands) {}

  // Places the panel and the default capture window, loads the configuration, hides the panel
  // when "程序运行直接隐藏" is checked, and lets pending events run once. A request to end the
  // program while a message box of the start-up is up ends the start-up there.
  void Form_Load();

  // Ends the program with the status, at once: a held button is let go and nothing is injected
  // after; every running loop is left, a pass's yield or a message box included, and a pass
  // stops at its next yield. 结束, the close box, the quit signals and --exit-at-end end here.
  void end(int status);

  // Ends the program once the source has handed out its last frame and the pass that took it
  // has finished: status 0, or 2 with the reason on stderr when the source gave no frame.
  void endWhenSourceFinished();

  void Command3_Click();   // "结束": end(0), saving nothing
  void Command6_Click();   // "关机", after the operator's confirmation

  void Timer2_Timer();  // restore watcher
  void Timer4_Timer();  // pointer read-out

  static constexpr double kPanelLeftTwips = 1000;
  static constexpr double kPanelTopTwips = 1000;

private:
  MAINFRM& f_;
  Ports& ports_;
  panel::Configuration& configuration_;
  panel::PanelCommands& commands_;
};

}  // namespace vornix::system
