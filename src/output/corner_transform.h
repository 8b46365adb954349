#pragma once
// The trapezoid correction: a perspective transform taking the camera positions of the mouse
// range's four corners onto those corners, for a camera that sees the projected picture at an
// angle.

#include <QPointF>
#include <QRectF>

#include <array>
#include <optional>

namespace vornix::output {

// Corners in the order of the calibration table: top-left, bottom-left, top-right,
// bottom-right.
using Corners = std::array<QPointF, 4>;

// Whether the corners, walked top-left, top-right, bottom-right, bottom-left, enclose a
// strictly convex quadrilateral (no three of them on a line, no corner inside the others).
bool isConvexQuad(const Corners& corners);

// The point of the range (left, top, width, height; the far edges included, as the rectangular
// mapping reaches them) that the camera point shows. Nothing when the camera corners are not a
// convex quadrilateral; a point on the camera's horizon line gives a coordinate that is not
// finite.
std::optional<QPointF> perspectivePoint(const Corners& camera, const QRectF& range, QPointF point);

}  // namespace vornix::output
