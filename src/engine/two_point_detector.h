#pragma once
// The two-point detector: finds the first row of the frame that differs from the reference,
// flags the differing columns of the row five below it at full resolution, and looks among the
// flags for up to two fingers side by side. Pure functions of (frames, parameters); the pass
// around them does the yielding and the writing.

#include "base/frame.h"

#include <QPoint>

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace vornix::engine {

// Rows below the differing row at which the fingers are examined.
inline constexpr int kExaminedRowOffset = 5;

// The row search: rows from y0 down, each sampled at the columns x0, x0 + stride, ... while
// x <= x3, for the first sample whose |current red - reference red| exceeds the threshold. A
// fractional stride steps by repeated addition, and a fractional column is read as the pixel
// column rounded half to even. Samples outside both frames read -1 against -1, a difference of
// 0: under a threshold of 0 or more they never differ and are passed over without a read.
class RowSearch {
public:
  RowSearch(int x0, int x3, double stride, int threshold);

  // Whether any sample of row y can differ.
  bool rowCanDiffer(const FrameView& current, const FrameView& reference, long long y) const;
  // The first differing sample of row y, as the column the loop counted (it may be fractional).
  std::optional<double> firstDifferingColumn(const FrameView& current, const FrameView& reference, int y);
  // Sample pairs read one at a time so far: those of a fractional stride (a whole stride reads
  // its rows through scanRow).
  long long samplesRead() const { return samplesRead_; }

private:
  int x0_;
  int x3_;
  double stride_;
  int threshold_;
  double firstInside_;  // the first column value of the loop that reads no negative column
  long long samplesRead_ = 0;
};

// The first differing row from y0 to y3 and the column of its first differing sample.
// framesForRow(y) runs before every row that is searched and returns the current and the
// reference frame that row is read from (whatever runs in between may have replaced them), or
// nothing to end the search there. Rows above the frames are passed over after a single call,
// and the search ends at the first row below them, where no sample can differ.
template <class FramesForRow>
std::optional<std::pair<int, double>> findDifferingRow(RowSearch& search, int y0, int y3,
                                                        FramesForRow&& framesForRow) {
  for (long long y = y0; y <= y3; ++y) {
    const std::optional<std::pair<FrameView, FrameView>> frames = framesForRow(static_cast<int>(y));
    if (!frames) return std::nullopt;
    const auto& [current, reference] = *frames;
    if (!search.rowCanDiffer(current, reference, y)) {
      if (y >= 0) return std::nullopt;
      y = -1;
      continue;
    }
    if (const std::optional<double> column = search.firstDifferingColumn(current, reference, static_cast<int>(y)))
      return std::pair(static_cast<int>(y), *column);
  }
  return std::nullopt;
}

// Which of the columns 0 to 320 differ on one row; the columns outside that range have no flag.
class FlagRow {
public:
  static constexpr int kColumns = 321;
  // Flags the columns x0..x3 of row y, as far as the flag row reaches, whose
  // |current red - reference red| exceeds threshold; plotted receives every flagged column.
  FlagRow(const FrameView& current, const FrameView& reference, int y, int x0, int x3, int threshold,
          std::vector<QPoint>& plotted);
  // Whether column q is flagged: never outside 0..320.
  bool operator()(long long q) const { return q >= 0 && q < kColumns && flags_[static_cast<std::size_t>(q)]; }
  // Flagged columns among q .. q + 20. A column right of the picture counts with the flag of its
  // last column, so a difference that runs on past the edge is as wide as it is there.
  int countInWindow(long long q) const;

private:
  std::array<bool, kColumns> flags_{};
};

// What the point search finds on a flag row: every first point in the order it was found (the
// search goes on past a first point that has no second point beside it), and the second point
// of the last of them, if any.
struct PointSearch {
  std::vector<int> firstPoints;
  std::optional<int> secondPoint;
};

// The first points are flagged columns from x0 + 2 to x3 - 1 whose 21-column window holds 2 to
// 14 flags; a second point is a rising edge more than 30 columns right of a first point, with a
// window of 2 to 14 flags, no further right than x3.
PointSearch searchPoints(const FlagRow& flags, int x0, int x3);

}  // namespace vornix::engine
