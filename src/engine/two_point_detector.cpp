#include "engine/two_point_detector.h"

#include "base/text_rules.h"
#include "engine/detector.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vornix::engine {

namespace {

constexpr int kWindow = 21;           // a column and the 20 to its right
constexpr int kFewestFlags = 2;       // a lone flagged column is noise
constexpr int kMostFlags = 14;        // more is a wide shadow, not a finger
constexpr int kSecondSearchStart = 20;
constexpr int kSecondPointGap = 10;   // a second point lies more than this beyond the search start

bool fingerWide(int count) { return count >= kFewestFlags && count <= kMostFlags; }

}  // namespace

std::optional<double> firstDifferingColumn(const FrameView& current, const FrameView& reference, int y,
                                           int x0, int x3, double stride, int threshold) {
  if (!(stride > 0)) return std::nullopt;
  if (stride == std::floor(stride) && stride <= kFrameWidth) {
    if (const std::optional<Touch> hit = scanRow(current, reference, y, x0, x3, static_cast<int>(stride), threshold))
      return hit->x;
    return std::nullopt;
  }
  // A fractional stride steps by repeated addition, as a counted loop does.
  for (double x = x0; x <= x3; x += stride) {
    const int column = static_cast<int>(roundHalfEven(x));
    if (std::abs(current.red(column, y) - reference.red(column, y)) > threshold) return x;
  }
  return std::nullopt;
}

FlagRow::FlagRow(const FrameView& current, const FrameView& reference, int y, int x0, int x3, int threshold,
                 std::vector<QPoint>& plotted) {
  for (long long q = x0; q <= x3; ++q) {
    const int column = static_cast<int>(q);
    const bool differs = std::abs(current.red(column, y) - reference.red(column, y)) > threshold;
    if (differs) plotted.emplace_back(column, y);
    if (q >= 0 && q < kColumns) flags_[static_cast<std::size_t>(q)] = differs;
  }
}

int FlagRow::countInWindow(long long q) const {
  constexpr long long kLastPictureColumn = kFrameWidth - 1;
  int count = 0;
  for (long long c = q; c < q + kWindow; ++c) count += (*this)(std::min(c, kLastPictureColumn)) ? 1 : 0;
  return count;
}

PointSearch searchPoints(const FlagRow& flags, int x0, int x3) {
  PointSearch search;
  // Neither a first point nor a rising edge lies outside the flag row.
  const long long lastColumn = FlagRow::kColumns - 1;
  for (long long q = std::max(x0 + 2LL, 0LL); q <= std::min(x3 - 1LL, lastColumn); ++q) {
    if (!flags(q) || !fingerWide(flags.countInWindow(q))) continue;
    search.firstPoints.push_back(static_cast<int>(q));
    const long long start = q + kSecondSearchStart;
    for (long long n = start; n <= std::min<long long>(x3, lastColumn); ++n) {
      const bool risingEdge = !flags(n - 1) && flags(n);
      if (risingEdge && n - start > kSecondPointGap && fingerWide(flags.countInWindow(n))) {
        search.secondPoint = static_cast<int>(n);
        return search;
      }
    }
  }
  return search;
}

}  // namespace vornix::engine
