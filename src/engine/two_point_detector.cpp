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

RowSearch::RowSearch(int x0, int x3, double stride, int threshold)
    : x0_(x0), x3_(x3), stride_(stride), threshold_(threshold), firstInside_(x0) {
  // A column value below -0.5 reads a negative pixel column. The values the loop counts depend
  // on every addition before them, so the way in is stepped once here rather than on every row.
  if (stride_ > 0)
    while (firstInside_ < -0.5 && firstInside_ <= x3_) firstInside_ += stride_;
}

bool RowSearch::rowCanDiffer(const FrameView& current, const FrameView& reference, long long y) const {
  return threshold_ < 0 || (y >= 0 && (y < current.height() || y < reference.height()));
}

std::optional<double> RowSearch::firstDifferingColumn(const FrameView& current, const FrameView& reference, int y) {
  if (!(stride_ > 0)) return std::nullopt;
  if (stride_ == std::floor(stride_) && stride_ <= kFrameWidth) {
    if (const std::optional<Touch> hit = scanRow(current, reference, y, x0_, x3_, static_cast<int>(stride_), threshold_))
      return hit->x;
    return std::nullopt;
  }
  const auto differs = [&](int column) {
    ++samplesRead_;
    return std::abs(current.red(column, y) - reference.red(column, y)) > threshold_;
  };
  // Under a negative threshold every sample differs, the first one included.
  if (threshold_ < 0) return x0_ <= x3_ && differs(x0_) ? std::optional<double>(x0_) : std::nullopt;

  // A fractional stride steps by repeated addition, as a counted loop does; only the columns of
  // the frames are read.
  const int width = std::max(current.width(), reference.width());
  for (double x = firstInside_; x <= x3_; x += stride_) {
    const int column = static_cast<int>(roundHalfEven(x));
    if (column >= width) break;
    if (differs(column)) return x;
  }
  return std::nullopt;
}

FlagRow::FlagRow(const FrameView& current, const FrameView& reference, int y, int x0, int x3, int threshold,
                 std::vector<QPoint>& plotted) {
  for (int q = std::max(x0, 0); q <= std::min(x3, kColumns - 1); ++q) {
    const bool differs = std::abs(current.red(q, y) - reference.red(q, y)) > threshold;
    if (differs) plotted.emplace_back(q, y);
    flags_[static_cast<std::size_t>(q)] = differs;
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
