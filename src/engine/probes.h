#pragma once
// Live image probes: while the mouse moves over one of the camera panes, Label3 shows the
// position and the red component of the frame under it, to help pick a threshold.

#include "panel/mainfrm.h"

#include <cstdint>

namespace vornix::engine {

class Probes {
public:
  explicit Probes(panel::MAINFRM& f) : f_(f) {}

  // Mouse moves over the panes; X and Y are in the pane's pixels, Button and Shift are ignored.
  void Picture1_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
  void Picture2_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
  // Picture4 shows the plotted points over the current frame; the probe reads the frame.
  void Picture4_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);

private:
  void show(const form::Picture& image, float X, float Y);
  panel::MAINFRM& f_;
};

}  // namespace vornix::engine
