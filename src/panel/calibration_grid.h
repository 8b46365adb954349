#pragma once
// The grid of 非线性校正: where the camera sees points laid out evenly over the mouse activity
// range, corners included, so that a lens's bending and a curved surface can be followed.

#include <QPointF>
#include <QRectF>

#include <vector>

namespace vornix::panel {

struct CalibrationGrid {
  int columns = 0;
  int rows = 0;
  // Camera positions, row by row from the top, each row from the left.
  std::vector<QPointF> camera;

  static constexpr int kMinimumSide = 3;

  // A grid the mapping can use: at least 3 x 3 points, one camera position for each.
  bool stored() const {
    return columns >= kMinimumSide && rows >= kMinimumSide &&
           camera.size() == static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
  }
  const QPointF& at(int column, int row) const { return camera[static_cast<std::size_t>(row * columns + column)]; }
  // The point of the range (left, top, width, height) that node (column, row) stands for.
  QPointF screen(int column, int row, const QRectF& range) const {
    return {range.left() + range.width() * column / (columns - 1), range.top() + range.height() * row / (rows - 1)};
  }
};

}  // namespace vornix::panel
