#include "output/calibrated_area.h"

#include "output/corner_transform.h"

namespace vornix::output {

std::optional<QPolygonF> calibratedOutline(const panel::MAINFRM& f) {
  if (f.Option2[1].selected()) {
    Corners corners;
    for (std::size_t i = 0; i < 4; ++i) corners[i] = QPointF(f.Text1[i].value(), f.Text2[i].value());
    if (!isConvexQuad(corners)) return std::nullopt;
    return QPolygonF({corners[0], corners[2], corners[3], corners[1]});
  }
  const panel::CalibrationGrid& grid = f.calibrationGrid;
  if (!f.Option2[2].selected() || !grid.stored()) return std::nullopt;
  QPolygonF outline;
  const int right = grid.columns - 1, bottom = grid.rows - 1;
  for (int c = 0; c < right; ++c) outline << grid.at(c, 0);
  for (int r = 0; r < bottom; ++r) outline << grid.at(right, r);
  for (int c = right; c > 0; --c) outline << grid.at(c, bottom);
  for (int r = bottom; r > 0; --r) outline << grid.at(0, r);
  return outline;
}

}  // namespace vornix::output
