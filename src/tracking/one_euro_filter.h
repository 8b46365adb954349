#pragma once
// The 1€ filter (Casiez, Roussel, Vogel 2012): a low-pass filter whose cutoff rises with the
// speed, so a still point stops jittering and a moving one lags little.

namespace vornix::tracking {

struct OneEuroParameters {
  double minCutoff = 1.0;         // Hz: the cutoff at rest; lower smooths more
  double beta = 0.007;            // how fast the cutoff rises with the speed (per unit/s)
  double derivativeCutoff = 1.0;  // Hz: the cutoff of the speed estimate
};

class OneEuroFilter {
public:
  explicit OneEuroFilter(OneEuroParameters parameters = {}) : p_(parameters) {}

  // The filtered value of a sample taken at timeSeconds; the first sample passes unchanged, as
  // does one whose time is not after the previous one's.
  double filter(double value, double timeSeconds);

private:
  OneEuroParameters p_;
  bool started_ = false;
  double value_ = 0;
  double derivative_ = 0;
  double time_ = 0;
};

}  // namespace vornix::tracking
