#pragma once
// The calibration pattern of a 1024 x 768 range as a camera sees it when the range's top-left,
// bottom-left, top-right and bottom-right corners appear at the given picture points, on a
// grey room.

#include "base/frame.h"
#include "output/calibration_pattern.h"

#include <QPainter>
#include <QPolygonF>
#include <QTransform>

namespace vornix::testing {

inline QImage patternFrame(const output::Corners& seen) {
  QTransform perspective;
  const QPolygonF range({QPointF(0, 0), QPointF(1024, 0), QPointF(1024, 768), QPointF(0, 768)});
  QTransform::quadToQuad(range, QPolygonF({seen[0], seen[2], seen[3], seen[1]}), perspective);
  QImage frame = blankFrame();
  frame.fill(QColor(90, 90, 90));
  QPainter painter(&frame);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.setTransform(perspective);
  painter.drawImage(0, 0, output::drawPattern(QSize(1024, 768)));
  return frame;
}

}  // namespace vornix::testing
