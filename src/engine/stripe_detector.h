#pragma once
// The rear-projection detector: a finger on the screen shows, row by row, as a short horizontal
// stripe brighter than the reference whose brightness rises steeply at its left edge and falls
// steeply at its right edge. Light spilling over a wide area, soft glows and anything darker
// than the reference are no touch. A pure function of (frames, parameters).

#include "base/frame.h"
#include "engine/detector.h"

#include <QPoint>

#include <optional>
#include <vector>

namespace vornix::engine {

struct Stripe {
  int x = 0;         // the sample just past the stripe's right end
  int y = 0;
  int contrast = 0;  // middle of the profile less its first value, in red levels
};

struct StripeSearch {
  std::optional<Stripe> touch;
  std::vector<QPoint> examined;  // the samples of the picture the width measurements stepped onto, in order
};

// Scans the grid of area (rows and columns by its stride) for the first sample brighter than the
// reference by more than threshold, measures the stripe that starts there in steps of 2 pixels
// and tests its width and edges; a rejected stripe is passed over and the scan goes on after it.
StripeSearch findStripe(const FrameView& current, const FrameView& reference, const ScanArea& area,
                        int threshold);

}  // namespace vornix::engine
