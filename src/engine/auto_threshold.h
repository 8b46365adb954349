#pragma once
// The automatic threshold: each pass samples the red difference between the current and the
// reference frame on a coarse grid of the scanned area, estimates the sensor noise from it and
// sets the threshold a few noise widths above it. A pass on which most samples differ at once
// (a light switched, a scene cut, an exposure step) is a global change, never a touch; with a
// static reference, the reference is learnt again once the new picture holds still, and
// between global changes it follows the slow drift of the light (see reference_drift.h). A
// change that never holds still is taken as the noise now.

#include "base/frame.h"
#include "engine/detector.h"

#include <optional>
#include <vector>

namespace vornix::engine {

struct ThresholdReading {
  int threshold = 0;
  bool globalChange = false;  // the pass must report no touch and leave the buttons as they are
  bool relearn = false;       // the current frame should become the reference
  bool followDrift = false;   // the static reference should take a step toward the current frame
  int lightShift = 0;         // with followDrift: the median current less reference red of the samples under the threshold
  bool moved = false;         // the threshold differs by more than 10 % from the one last reported moved
};

class AutoThreshold {
public:
  // Samples taken every kGridStep pixels in both directions over the area's corners (its
  // stride is not used), inside the frames.
  static constexpr int kGridStep = 8;
  // The noise is the robust standard deviation 1.4826 * median |difference| over the samples
  // that are no touch; the threshold is kNoiseMultiple of it, never below kFloor.
  static constexpr double kNoiseMultiple = 6;
  static constexpr int kFloor = 12;
  // The noise is smoothed over about one second of 50 ms passes.
  static constexpr double kSmoothing = 1.0 / 20;
  // A picture that has held still for this many passes after a global change is learnt.
  static constexpr int kSettledPasses = 3;
  // A global change that has not held still for two seconds of passes is taken as the noise
  // now (a camera raising its gain in the dark): the noise is measured afresh.
  static constexpr int kUnsettledPasses = 40;
  // A static reference takes a drift step (at most 4 levels, see reference_drift.h) on every
  // kDriftPasses-th pass without a global change: 10 levels a second, faster than daylight or
  // a lamp warming up change a bright floor; a step costs about what copying a frame does, so
  // a pass pays an eighth of that.
  static constexpr int kDriftPasses = 8;

  // One pass over current against reference. staticReference: the reference stays until it
  // is set, so a global change is learnt once the picture settles.
  ThresholdReading pass(const FrameView& current, const FrameView& reference, const ScanArea& area,
                        bool staticReference);

  // Forgets everything measured: the next pass starts afresh.
  void reset();

private:
  int thresholdOf(double noise) const;

  std::optional<double> noise_;
  std::optional<int> reported_;
  std::vector<int> previousReds_;  // the grid of the previous pass's current frame
  std::vector<int> reds_;
  bool changed_ = false;  // a global change is still in the picture
  int changedPasses_ = 0;
  int stillPasses_ = 0;
  int driftPasses_ = 0;
};

}  // namespace vornix::engine
