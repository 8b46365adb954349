#pragma once
// The two-point detector: finds the first row of the frame that differs from the reference,
// flags the differing columns of the row five below it at full resolution, and looks among the
// flags for up to two fingers side by side. Pure functions of (frames, parameters); the pass
// around them does the yielding and the writing.

#include "base/frame.h"

#include <QPoint>

#include <array>
#include <optional>
#include <vector>

namespace vornix::engine {

// Rows below the differing row at which the fingers are examined.
inline constexpr int kExaminedRowOffset = 5;

// The first sample of row y, at columns x0, x0 + stride, ... while x <= x3, whose
// |current red - reference red| exceeds threshold; a fractional column is read as the pixel
// column rounded half to even. Returns the column as the loop counted it (it may be fractional).
std::optional<double> firstDifferingColumn(const FrameView& current, const FrameView& reference, int y,
                                           int x0, int x3, double stride, int threshold);

// Which of the columns 0 to 320 differ on one row; the columns outside that range have no flag.
class FlagRow {
public:
  static constexpr int kColumns = 321;
  // Flags the columns x0..x3 of row y whose |current red - reference red| exceeds threshold;
  // plotted receives every such column, also one outside the flag row.
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
