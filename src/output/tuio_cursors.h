#pragma once
// The cursors of the TUIO /tuio/2Dcur profile, followed from pass to pass. A pass reports up to
// two points; a point found by consecutive passes is one cursor that keeps its session id, a
// point that appears after a pass without it is a new cursor with a new id.

#include <QPointF>

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace vornix::output {

struct TuioCursor {
  qint32 sessionId = 0;
  // Position as a fraction of the mouse activity range, 0..1.
  float x = 0;
  float y = 0;
  // Velocity in range widths and heights per second.
  float vx = 0;
  float vy = 0;
  // Change of speed per second; 0 for a new cursor.
  float acceleration = 0;

  bool operator==(const TuioCursor&) const = default;
};

class TuioCursors {
public:
  static constexpr std::size_t kPoints = 2;
  using Points = std::array<std::optional<QPointF>, kPoints>;

  // Takes the points found by a pass that ran at timeMs (nothing: not found) and returns the
  // cursors present, point 1's before point 2's.
  const std::vector<TuioCursor>& update(const Points& points, qint64 timeMs);

  // Takes points that come with identities (the tracked blobs): each identity is one cursor and
  // its session id. Returns the cursors in the order of the points.
  using IdentifiedPoint = std::pair<qint32, QPointF>;
  const std::vector<TuioCursor>& update(const std::vector<IdentifiedPoint>& points, qint64 timeMs);

  const std::vector<TuioCursor>& present() const { return present_; }

private:
  struct Tracked {
    TuioCursor cursor;
    float speed = 0;
  };

  // Moves a cursor to (x, y), seconds after its last position.
  static void move(Tracked& tracked, float x, float y, double seconds);

  std::array<std::optional<Tracked>, kPoints> tracked_;
  std::map<qint32, Tracked> identified_;
  qint64 lastTimeMs_ = 0;
  qint32 lastSessionId_ = 0;
  std::vector<TuioCursor> present_;
};

}  // namespace vornix::output
