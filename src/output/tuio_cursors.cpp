#include "output/tuio_cursors.h"

#include <cmath>

namespace vornix::output {

const std::vector<TuioCursor>& TuioCursors::update(const Points& points, qint64 timeMs) {
  const double seconds = (timeMs - lastTimeMs_) / 1000.0;
  lastTimeMs_ = timeMs;
  present_.clear();
  for (std::size_t i = 0; i < kPoints; ++i) {
    std::optional<Tracked>& tracked = tracked_[i];
    if (!points[i]) {
      tracked.reset();
      continue;
    }
    const float x = float(points[i]->x()), y = float(points[i]->y());
    if (!tracked) tracked = Tracked{TuioCursor{++lastSessionId_, x, y}};
    else move(*tracked, x, y, seconds);
    present_.push_back(tracked->cursor);
  }
  return present_;
}

const std::vector<TuioCursor>& TuioCursors::update(const std::vector<IdentifiedPoint>& points, qint64 timeMs) {
  const double seconds = (timeMs - lastTimeMs_) / 1000.0;
  lastTimeMs_ = timeMs;
  present_.clear();
  std::map<qint32, Tracked> identified;
  for (const auto& [id, point] : points) {
    const float x = float(point.x()), y = float(point.y());
    const auto known = identified_.find(id);
    Tracked tracked = known == identified_.end() ? Tracked{TuioCursor{id, x, y}} : known->second;
    if (known != identified_.end()) move(tracked, x, y, seconds);
    identified[id] = tracked;
    present_.push_back(tracked.cursor);
  }
  identified_ = std::move(identified);
  return present_;
}

void TuioCursors::move(Tracked& tracked, float x, float y, double seconds) {
  TuioCursor& cursor = tracked.cursor;
  if (seconds > 0) {
    cursor.vx = float((x - cursor.x) / seconds);
    cursor.vy = float((y - cursor.y) / seconds);
    const float speed = std::hypot(cursor.vx, cursor.vy);
    cursor.acceleration = float((speed - tracked.speed) / seconds);
    tracked.speed = speed;
  }
  // Otherwise two passes within the same millisecond tell nothing about motion.
  cursor.x = x;
  cursor.y = y;
}

}  // namespace vornix::output
