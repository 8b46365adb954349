#pragma once
// The multi-touch messages: the scale message built when the second point is mapped, the sender
// that hands the move or scale message to the server window ten times a second, the two-point
// hold counter, and the switches that open and close the server window.

#include "panel/mainfrm.h"
#include "server/server_host.h"

namespace vornix::output {

class MultiTouch {
public:
  MultiTouch(panel::MAINFRM& f, server::ServerHost& server) : f_(f), server_(server) {}

  // Scale message from Text8(0..3) into Text15, against the X positions of the previous run.
  // Each step is guarded on its own; the previous X positions are updated in every case.
  void Text19_Change();
  // Hands Text15 (while Label21 reads more than 1) or Text14 to the server and broadcasts it.
  void Timer6_Timer();
  // Counts Label21 down to 0.
  void Timer7_Timer();
  // Shows the server window (1) or unloads it (0); the sender runs while Check8 is not cleared.
  void Check8_Click();
  void Check9_Click();

private:
  panel::MAINFRM& f_;
  server::ServerHost& server_;
  double x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
  // x1 and x2 as the previous run read them.
  double px1_ = 0, px2_ = 0;
};

}  // namespace vornix::output
