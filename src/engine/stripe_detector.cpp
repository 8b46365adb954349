#include "engine/stripe_detector.h"

#include "base/text_rules.h"

#include <algorithm>
#include <array>

namespace vornix::engine {

namespace {

constexpr int kWidthStep = 2;
constexpr int kWidthLimit = 40;
constexpr int kNarrowest = 10;
constexpr int kWidest = 34;
constexpr int kMargin = 3;        // profile samples on either side of the stripe
constexpr int kSteepestStep = -9;  // an edge falls less than this from one pixel to the next
constexpr int kLeastRise = 5;      // and rises more than this over two pixels

// The current frame's red across a stripe: kMargin samples before its first sample, the stripe,
// and kMargin samples from the sample past its end on.
class Profile {
public:
  Profile(const FrameView& current, int end, int width, int y) : size_(width + 2 * kMargin + 1) {
    for (int j = 0; j < size_; ++j) values_[j] = current.red(end - width - kMargin + j, y);
  }
  int size() const { return size_; }
  int operator()(int index) const { return values_[index]; }
  // The same profile read from its last value backwards.
  int fromEnd(int index) const { return values_[size_ - 1 - index]; }

private:
  int size_;
  std::array<int, kWidthLimit + 2 * kMargin + 1> values_{};
};

// An edge read outwards-in: no steep fall from one value to the next, and a steep rise over two.
template <class Read>
bool steepEdge(const Read& p) {
  for (int t = 0; t <= 3; ++t)
    if (!(p(t + 1) - p(t) > kSteepestStep)) return false;
  for (int t = 0; t <= 2; ++t)
    if (!(p(t + 2) - p(t) > kLeastRise)) return false;
  return true;
}

bool sharpEdges(const Profile& p) {
  return steepEdge([&](int t) { return p(t); }) && steepEdge([&](int t) { return p.fromEnd(t); });
}

}  // namespace

StripeSearch findStripe(const FrameView& current, const FrameView& reference, const ScanArea& area,
                        int threshold) {
  StripeSearch search;
  if (area.stride < 1) return search;
  const auto difference = [&](int x, int y) { return current.red(x, y) - reference.red(x, y); };
  const long long stride = area.stride;
  // Rows outside both frames hold no stripe; the grid's first row at 0 or below it:
  const long long firstRow =
      area.y0 >= 0 ? area.y0 : area.y0 + (-static_cast<long long>(area.y0) + stride - 1) / stride * stride;
  const long long lastRow = std::min<long long>(area.y3, std::max(current.height(), reference.height()) - 1);
  for (long long row = firstRow; row <= lastRow; row += stride) {
    const int y = static_cast<int>(row);
    long long from = area.x0;
    while (from <= area.x3) {
      // Left of the frames a negative threshold takes every sample as brighter, so each width
      // measurement there runs its whole limit and is rejected, and the next starts the limit and
      // the stride further on: those that end before column 0 are stepped over at once.
      if (threshold < 0 && from + kWidthLimit < 0) {
        const long long period = kWidthLimit + stride;
        from += ((-1 - kWidthLimit - from) / period + 1) * period;
        continue;
      }
      const std::optional<Touch> start = scanRow(current, reference, y, static_cast<int>(from), area.x3,
                                                 area.stride, threshold, Difference::Brighter);
      // A stripe whose profile would start past the frames' right end reads -1 throughout.
      if (!start || start->x - kMargin >= std::max(current.width(), reference.width())) break;
      int x = start->x;
      int width = 0;
      for (int d = start->difference; d > threshold && width < kWidthLimit;) {
        x += kWidthStep;
        d = difference(x, y);
        width += kWidthStep;
        if (current.contains(x, y)) search.examined.emplace_back(x, y);
      }
      if (width >= kNarrowest && width <= kWidest) {
        const Profile profile(current, x, width, y);
        if (sharpEdges(profile)) {
          const int middle = static_cast<int>(roundHalfEven(profile.size() / 2.0));
          search.touch = Stripe{x, y, profile(middle) - profile(0)};
          return search;
        }
      }
      from = static_cast<long long>(x) + area.stride;
    }
  }
  return search;
}

}  // namespace vornix::engine
