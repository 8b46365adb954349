#pragma once
// Corner calibration on the camera preview, and the mapping of camera points onto the mouse
// activity range. The calibration and the range are read from the panel's fields on every
// point, so an edit or a configuration load takes effect with the next point.

#include "form/event_loop.h"
#include "panel/mainfrm.h"

#include <cstdint>

namespace vornix::output {

// The mouse activity range: left, top, width and height from Text3(0..3), read afresh.
QRectF mouseRange(const panel::MAINFRM& f);

class Mapping {
public:
  Mapping(panel::MAINFRM& f, form::EventLoop& loop) : f_(f), loop_(loop) {}

  // The operator picks calibration step index: a corner 0..3, or 4 ("完成").
  void Option1_Click(int index);
  // A press of any button on the camera preview, at camera pixels (x, y).
  void Picture1_MouseDown(double x, double y);

  // Point hand-overs: Text16 for point 1 (from Text5(0), Text5(1)), Text18 for point 2 (from
  // Text5(2), Text5(3)). A point outside the 16-bit range raises OverflowError to the writer.
  void Text16_Change();
  void Text18_Change();

  // Map a camera point onto the range and hand it on: point 1 into Text8(0..1) and Text17,
  // point 2 into Text8(2..3) and Text19. Each step is guarded on its own.
  void movemouse(std::int16_t xc, std::int16_t yc);
  void movemouse2(std::int16_t xc, std::int16_t yc);

private:
  // Steps 1 to 4 of a hand-over: point 1 from Text5(0..1) or point 2 from Text5(2..3).
  void handOver(bool second);
  void mapPoint(std::int16_t xc, std::int16_t yc, bool second);

  panel::MAINFRM& f_;
  form::EventLoop& loop_;
};

}  // namespace vornix::output
