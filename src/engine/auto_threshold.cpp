#include "engine/auto_threshold.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace vornix::engine {

namespace {

// For normally distributed differences, the standard deviation is 1.4826 times the median of
// their absolute values.
constexpr double kSigmaPerMedian = 1.4826;

}  // namespace

int AutoThreshold::thresholdOf(double noise) const {
  return std::max(kFloor, static_cast<int>(std::lround(kNoiseMultiple * noise)));
}

void AutoThreshold::reset() { *this = AutoThreshold(); }

ThresholdReading AutoThreshold::pass(const FrameView& current, const FrameView& reference, const ScanArea& area,
                                     bool staticReference) {
  const int x0 = std::max(area.x0, 0), y0 = std::max(area.y0, 0);
  const int x3 = std::min({area.x3, current.width() - 1, reference.width() - 1});
  const int y3 = std::min({area.y3, current.height() - 1, reference.height() - 1});
  // Before the first estimate nothing can be told from a touch or a global change.
  const int limit = noise_ ? thresholdOf(*noise_) : INT_MAX;

  std::array<int, 256> quiet{};  // how many samples at or under the limit differ by each amount
  std::array<int, 511> quietSigned{};  // the same by current less reference, from -255 up
  int quietCount = 0, over = 0, moving = 0;
  const bool hasPrevious = !previousReds_.empty();
  reds_.clear();
  for (int y = y0; y <= y3; y += kGridStep) {
    const uchar* c = current.pixelRow(y) + 2;
    const uchar* r = reference.pixelRow(y) + 2;
    for (int x = x0; x <= x3; x += kGridStep) {
      const int red = c[x * 4];
      const int signedDifference = red - r[x * 4];
      const int d = std::abs(signedDifference);
      if (d > limit) {
        ++over;
      } else {
        ++quiet[static_cast<std::size_t>(d)];
        ++quietSigned[static_cast<std::size_t>(signedDifference + 255)];
        ++quietCount;
      }
      if (hasPrevious && reds_.size() < previousReds_.size() &&
          std::abs(red - previousReds_[reds_.size()]) > limit)
        ++moving;
      reds_.push_back(red);
    }
  }
  const int count = quietCount + over;
  const bool sameGrid = hasPrevious && previousReds_.size() == reds_.size();
  std::swap(previousReds_, reds_);

  ThresholdReading reading;
  reading.globalChange = count > 0 && over * 2 > count;
  if (!reading.globalChange) {
    changed_ = false;
    changedPasses_ = 0;
    stillPasses_ = 0;
    if (quietCount > 0) {
      const int middle = (quietCount - 1) / 2;  // the median's place among the sorted samples
      std::size_t median = 0;
      for (int atOrUnder = quiet[0]; atOrUnder <= middle;) atOrUnder += quiet[++median];
      const double measured = kSigmaPerMedian * static_cast<double>(median);
      noise_ = noise_ ? *noise_ + kSmoothing * (measured - *noise_) : measured;
    }
  } else if (!changed_) {
    changed_ = true;
    changedPasses_ = 1;
    stillPasses_ = 0;
  } else {
    ++changedPasses_;
    stillPasses_ = sameGrid && moving * 2 <= count ? stillPasses_ + 1 : 0;
  }
  if (reading.globalChange && staticReference && stillPasses_ >= kSettledPasses) {
    reading.relearn = true;
    changed_ = false;
    stillPasses_ = 0;
  } else if (reading.globalChange && changedPasses_ >= kUnsettledPasses) {
    noise_.reset();
    changed_ = false;
    stillPasses_ = 0;
  }

  if (staticReference && !reading.globalChange && ++driftPasses_ >= kDriftPasses) {
    reading.followDrift = true;
    driftPasses_ = 0;
    if (quietCount > 0) {
      const int middle = (quietCount - 1) / 2;
      std::size_t median = 0;
      for (int atOrUnder = quietSigned[0]; atOrUnder <= middle;) atOrUnder += quietSigned[++median];
      reading.lightShift = static_cast<int>(median) - 255;
    }
  }

  reading.threshold = noise_ ? thresholdOf(*noise_) : kFloor;
  if (!reported_ || 10 * std::abs(reading.threshold - *reported_) > *reported_) {
    reading.moved = true;
    reported_ = reading.threshold;
  }
  return reading;
}

}  // namespace vornix::engine
