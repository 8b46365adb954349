#pragma once
// Corner calibration on the camera preview, and the mapping of camera points onto the mouse
// activity range. The calibration and the range are read from the panel's fields on every
// point, so an edit or a configuration load takes effect with the next point.
//
// Three mappings, chosen by Option2: 矩形校正 stretches the rectangle of corners 0 and 3 onto the
// range; 梯形校正 takes all four corners onto the range's corners by a perspective transform;
// 非线性校正 follows the stored calibration grid cell by cell. A correction maps as the
// rectangle does while its corners or its grid cannot be used.

#include "form/dialogs.h"
#include "form/event_loop.h"
#include "output/corner_transform.h"
#include "panel/mainfrm.h"

#include <cstdint>
#include <optional>

namespace vornix::output {

// The mouse activity range: left, top, width and height from Text3(0..3), read afresh.
QRectF mouseRange(const panel::MAINFRM& f);

// The point of the range a camera point shows under the selected correction; none under
// 矩形校正, or while the correction cannot be used (the rectangle's mapping then applies).
std::optional<QPointF> correctedPoint(const panel::MAINFRM& f, QPointF camera);

// The screen point of a camera point under the selected mapping, held within the mouse range,
// unrounded: the entry for outputs that carry many points (the hand-overs keep movemouse's
// 16-bit rules).
QPointF screenPoint(const panel::MAINFRM& f, QPointF camera);

class Mapping {
public:
  Mapping(panel::MAINFRM& f, form::EventLoop& loop, form::Dialogs& dialogs)
      : f_(f), loop_(loop), dialogs_(dialogs) {}

  // The operator picks calibration step index: a corner 0..3, or 4 ("完成"). At 完成 the
  // trapezoid's corners must form a convex quadrilateral; otherwise a message box says so and
  // 矩形校正 is selected.
  void Option1_Click(int index);
  // The mapping is chosen: 0 矩形校正, 1 梯形校正, 2 非线性校正. Corners 1 and 2 can be set only while
  // 梯形校正 is selected; leaving it while one of them is armed picks 完成.
  void Option2_Click(int index);
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
  // The four corners of the calibration table, read afresh.
  Corners corners() const;

  panel::MAINFRM& f_;
  form::EventLoop& loop_;
  form::Dialogs& dialogs_;
};

}  // namespace vornix::output
