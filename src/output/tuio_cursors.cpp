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
    if (!tracked) {
      tracked = Tracked{TuioCursor{++lastSessionId_, x, y}};
    } else if (seconds > 0) {
      TuioCursor& cursor = tracked->cursor;
      cursor.vx = float((x - cursor.x) / seconds);
      cursor.vy = float((y - cursor.y) / seconds);
      const float speed = std::hypot(cursor.vx, cursor.vy);
      cursor.acceleration = float((speed - tracked->speed) / seconds);
      tracked->speed = speed;
      cursor.x = x;
      cursor.y = y;
    } else {
      // Two passes within the same millisecond tell nothing about motion.
      tracked->cursor.x = x;
      tracked->cursor.y = y;
    }
    present_.push_back(tracked->cursor);
  }
  return present_;
}

}  // namespace vornix::output
