#pragma once
// Lasting identities for the blobs of successive frames. Each frame's blobs are matched to the
// blobs followed so far by the least total distance from where each was expected (the last
// position moved on by its recent step), within a maximum jump; a blob that vanishes keeps its
// identity, expected on along its way, for a few frames, so a flicker or two visitors crossing
// do not renumber it; visitors who walk through each other, one blob for a while, each go on
// along their way until they part. Positions are smoothed with the 1€ filter.

#include "tracking/blob_finder.h"
#include "tracking/one_euro_filter.h"

#include <QPointF>
#include <QRectF>

#include <vector>

namespace vornix::tracking {

struct TrackingParameters {
  int minArea = 4;         // samples; smaller blobs are dropped
  double maxJump = 40;     // camera pixels a blob may move from one frame to the next
  int keepFrames = 10;     // frames a vanished blob keeps its identity
  OneEuroParameters smoothing;
  // Greedy nearest-neighbour matching instead of the least total distance: only for comparing.
  bool greedy = false;
};

struct TrackedBlob {
  int id = 0;
  QPointF centre;  // smoothed, camera pixels
  QRectF box;      // camera pixels
  int area = 0;    // samples; while vanished, the last seen
  bool seen = true;  // false while it has vanished and keeps its identity

  bool operator==(const TrackedBlob&) const = default;
};

struct TrackedFrame {
  std::vector<TrackedBlob> blobs;  // by identity
  std::vector<int> ended;          // identities that ended with this frame
};

class IdentityTracker {
public:
  explicit IdentityTracker(TrackingParameters parameters = {}) : p_(parameters) {}

  void setParameters(const TrackingParameters& parameters) { p_ = parameters; }
  const TrackingParameters& parameters() const { return p_; }

  // The blobs found in the frame taken at timeSeconds.
  const TrackedFrame& update(const std::vector<Blob>& blobs, double timeSeconds);

  // Ends every identity (they are listed as ended by the next update).
  void clear();

private:
  struct Track {
    int id = 0;
    QPointF position;  // raw, camera pixels
    QPointF step;      // recent move per frame
    QRectF box;
    int area = 0;
    int missed = 0;
    int hidden = 0;  // frames it has shared a blob with others
    OneEuroFilter x, y;
    QPointF expected() const { return position + step * (missed + 1); }
  };

  std::vector<int> match(const std::vector<Blob>& blobs) const;

  // How long visitors may walk as one blob and still be told apart when they part.
  static constexpr int kMaxHiddenFrames = 40;

  TrackingParameters p_;
  std::vector<Track> tracks_;
  std::vector<int> endedByClear_;
  int lastId_ = 0;
  TrackedFrame frame_;
};

}  // namespace vornix::tracking
