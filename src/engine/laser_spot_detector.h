#pragma once
// The laser pointer's detector: the spot is a small, compact group of samples brighter in red
// than a threshold, found in the current frame alone, so that moving projected content does not
// matter. A bright area too large for a spot (a white scene, a flash) is passed over. A pure
// function of (frame, parameters).

#include "base/frame.h"
#include "engine/detector.h"

#include <optional>

namespace vornix::engine {

// A group of more samples than this, or wider or taller than kWidestSpot samples, is no spot.
inline constexpr int kMostSpotSamples = 400;
inline constexpr int kWidestSpot = 30;

struct LaserSpot {
  int x = 0;  // the centroid, rounded to a sample of the grid
  int y = 0;
  int samples = 0;
  int peak = 0;  // the brightest red in the spot
};

struct LaserSearch {
  std::optional<LaserSpot> spot;
  int brightest = -1;  // the brightest red sampled in the area (-1: no sample in the frame)
};

// Samples the grid of area (outside the frame nothing is sampled), groups the samples whose red
// exceeds threshold with their eight neighbours on the grid, and takes the brightest group that
// is small enough for a spot (of two as bright, the larger; then the first in raster order).
LaserSearch findLaserSpot(const FrameView& frame, const ScanArea& area, int threshold);

}  // namespace vornix::engine
