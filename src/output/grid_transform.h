#pragma once
// The non-linear correction: each cell of the calibration grid is taken onto its part of the
// range by the perspective transform of its four corners, so the mapping follows a lens's
// bending and a curved surface as closely as the grid is fine.

#include "panel/calibration_grid.h"

#include <QPointF>
#include <QRectF>

#include <optional>

namespace vornix::output {

// The point of the range (left, top, width, height) that the camera point shows: through the
// cell that contains it, or outside the grid through the nearest cell. Nothing when no grid is
// stored or none of its cells is a convex quadrilateral.
std::optional<QPointF> gridPoint(const panel::CalibrationGrid& grid, const QRectF& range, QPointF point);

}  // namespace vornix::output
