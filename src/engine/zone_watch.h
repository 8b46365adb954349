#pragma once
// The interactive zones of mode 5: how much of each zone differs from the reference, and which
// zones someone stepped into or left. A zone becomes occupied when at least a tenth of its
// samples differ and is free again once fewer than a twentieth do, so a visitor at the edge of
// the tenth does not fire it again and again.

#include "base/frame.h"

#include <QRect>

#include <vector>

namespace vornix::engine {

struct ZoneCount {
  int differing = 0;
  int samples = 0;  // samples of the zone inside the frame
};

// The samples of rect at columns and rows rect's left and top, + stride, ...; a sample differs
// when its red differs from the reference's by more than threshold, either way.
ZoneCount countDiffering(const FrameView& current, const FrameView& reference, const QRect& rect, int stride,
                         int threshold);

struct ZoneChange {
  int zone = 0;  // index into the zones
  bool occupied = false;
};

class ZoneWatch {
public:
  // The changes since the last pass, in zone order; a new number of zones starts all free.
  std::vector<ZoneChange> update(const std::vector<ZoneCount>& counts);
  void reset() { occupied_.clear(); }

private:
  std::vector<bool> occupied_;
};

}  // namespace vornix::engine
