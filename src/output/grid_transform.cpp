#include "output/grid_transform.h"

#include "output/corner_transform.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vornix::output {

namespace {

// The camera corners of cell (column, row) in the order of the calibration table.
Corners cellCorners(const panel::CalibrationGrid& grid, int column, int row) {
  return {grid.at(column, row), grid.at(column, row + 1), grid.at(column + 1, row), grid.at(column + 1, row + 1)};
}

// How far the point lies inside the convex quadrilateral (negative: outside), walked top-left,
// top-right, bottom-right, bottom-left in either turning sense: the least signed distance to an
// edge's line.
double depthInside(const Corners& quad, QPointF p) {
  const QPointF ring[4] = {quad[0], quad[2], quad[3], quad[1]};
  const QPointF a = ring[1] - ring[0], b = ring[3] - ring[0];
  const double turning = a.x() * b.y() - a.y() * b.x() > 0 ? 1 : -1;
  double depth = std::numeric_limits<double>::infinity();
  for (int i = 0; i < 4; ++i) {
    const QPointF from = ring[i], edge = ring[(i + 1) % 4] - from, to = p - from;
    const double length = std::hypot(edge.x(), edge.y());
    depth = std::min(depth, turning * (edge.x() * to.y() - edge.y() * to.x()) / length);
  }
  return depth;
}

}  // namespace

std::optional<QPointF> gridPoint(const panel::CalibrationGrid& grid, const QRectF& range, QPointF point) {
  if (!grid.stored()) return std::nullopt;
  int bestColumn = -1, bestRow = -1;
  double bestDepth = -std::numeric_limits<double>::infinity();
  for (int row = 0; row + 1 < grid.rows && bestDepth < 0; ++row) {
    for (int column = 0; column + 1 < grid.columns; ++column) {
      const Corners cell = cellCorners(grid, column, row);
      if (!isConvexQuad(cell)) continue;
      const double depth = depthInside(cell, point);
      if (depth > bestDepth) {
        bestDepth = depth;
        bestColumn = column;
        bestRow = row;
        if (depth >= 0) break;
      }
    }
  }
  if (bestColumn < 0) return std::nullopt;
  const QPointF topLeft = grid.screen(bestColumn, bestRow, range);
  const QPointF bottomRight = grid.screen(bestColumn + 1, bestRow + 1, range);
  return perspectivePoint(cellCorners(grid, bestColumn, bestRow), QRectF(topLeft, bottomRight), point);
}

}  // namespace vornix::output
