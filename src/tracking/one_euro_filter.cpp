#include "tracking/one_euro_filter.h"

#include <cmath>
#include <numbers>

namespace vornix::tracking {

namespace {

// The smoothing factor of an exponential filter with this cutoff at this sample interval.
double smoothing(double cutoff, double interval) {
  const double tau = 1.0 / (2 * std::numbers::pi * cutoff);
  return 1.0 / (1.0 + tau / interval);
}

}  // namespace

double OneEuroFilter::filter(double value, double timeSeconds) {
  const double interval = timeSeconds - time_;
  if (!started_ || !(interval > 0)) {
    if (!started_) value_ = value;
    started_ = true;
    time_ = timeSeconds;
    return value_;
  }
  time_ = timeSeconds;
  const double speed = (value - value_) / interval;
  derivative_ += smoothing(p_.derivativeCutoff, interval) * (speed - derivative_);
  const double cutoff = p_.minCutoff + p_.beta * std::abs(derivative_);
  value_ += smoothing(cutoff, interval) * (value - value_);
  return value_;
}

}  // namespace vornix::tracking
