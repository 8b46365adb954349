#pragma once
// The single-touch detector: compares the red components of the current and the reference frame
// on a grid of samples and finds the first sample, in raster order, that differs by more than a
// threshold. Pure functions of (frames, parameters); the pass around them does the yielding.

#include "base/frame.h"

#include <optional>
#include <utility>

namespace vornix::engine {

// The sampled grid: columns x0, x0 + stride, ... while x <= x3; rows likewise from y0 to y3.
// Corners may lie anywhere in the 16-bit range; samples outside a frame read -1.
struct ScanArea {
  int x0 = 0;
  int y0 = 0;
  int x3 = 0;
  int y3 = 0;
  int stride = 1;  // below 1 nothing is sampled
};

struct Touch {
  int x = 0;
  int y = 0;
  int difference = 0;  // current red - reference red at (x, y)
};

// Which differences count: either way, |current red - reference red| > threshold; or only a
// sample brighter than the reference, current red - reference red > threshold.
enum class Difference { Either, Brighter };

// The first sample of row y, at columns x0, x0 + stride, ... while x <= x3, whose difference
// exceeds threshold.
std::optional<Touch> scanRow(const FrameView& current, const FrameView& reference, int y, int x0,
                             int x3, int stride, int threshold, Difference which = Difference::Either);

// The rows of the grid, top to bottom, and the touch in them. framesForRow(y) runs before each
// sampled row, also rows outside the frames, and returns the current and the reference frame
// that row is read from (whatever runs in between may have replaced them), or nothing to end
// the scan there.
template <class FramesForRow>
std::optional<Touch> findTouch(const ScanArea& area, int threshold, FramesForRow&& framesForRow) {
  if (area.stride < 1) return std::nullopt;
  for (long long y = area.y0; y <= area.y3; y += area.stride) {
    const std::optional<std::pair<FrameView, FrameView>> frames = framesForRow(static_cast<int>(y));
    if (!frames) return std::nullopt;
    if (auto touch = scanRow(frames->first, frames->second, static_cast<int>(y), area.x0, area.x3,
                             area.stride, threshold))
      return touch;
  }
  return std::nullopt;
}

inline std::optional<Touch> findTouch(const FrameView& current, const FrameView& reference,
                                      const ScanArea& area, int threshold) {
  return findTouch(area, threshold, [&](int) { return std::pair(current, reference); });
}

}  // namespace vornix::engine
