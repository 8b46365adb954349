#include "engine/detector.h"

#include "drawn_frames.h"

#include <gtest/gtest.h>

#include <vector>

using vornix::FrameView;
using vornix::engine::findTouch;
using vornix::engine::ScanArea;
using vornix::engine::scanRow;
using vornix::testing::plainFrame;
using vornix::testing::withDots;

namespace {

const QImage reference = plainFrame(50);

// Every stride the detector has its own code for, and one it does not, with a dot in every column of a
// row and a brighter one on the row's last grid column: the block-wise search must find exactly
// what a sample-by-sample one finds.
TEST(Detector, FindsTheFirstSampleOnTheGridForEveryStrideAndColumn) {
  for (int stride : {1, 2, 3, 4, 7}) {
    const int lastOnGrid = 319 / stride * stride;
    for (int column = 0; column < 320; ++column) {
      const QImage frame = withDots(plainFrame(50), {{lastOnGrid, 3, 255}, {column, 3, 111}});
      const auto touch = scanRow(FrameView(frame), FrameView(reference), 3, 0, 320, stride, 60);
      ASSERT_TRUE(touch) << "stride " << stride << ", column " << column;
      const int expected = column % stride == 0 ? column : lastOnGrid;
      EXPECT_EQ(touch->x, expected) << "stride " << stride << ", column " << column;
      EXPECT_EQ(touch->difference, expected == column ? 61 : 205);
    }
  }
}

TEST(Detector, RowYieldsHappenForEverySampledRowAlsoOutsideTheFrame) {
  std::vector<int> rows;
  const FrameView frames(reference);
  const auto touch = findTouch({0, -5, 320, 250, 4}, 60, [&](int y) {
    rows.push_back(y);
    return std::pair(frames, frames);
  });
  EXPECT_FALSE(touch);
  ASSERT_EQ(rows.size(), 64u);  // -5, -1, 3, ..., 247
  EXPECT_EQ(rows.front(), -5);
  EXPECT_EQ(rows.back(), 247);
}

TEST(Detector, TheWholeSixteenBitRangeIsScannedOnItsGrid) {
  // From -32768 by 3 the grid's columns and rows are 1, 4, 7, ...
  const QImage frame = withDots(plainFrame(50), {{1, 0, 255}, {0, 1, 255}, {4, 1, 255}});
  const auto touch = findTouch(FrameView(frame), FrameView(reference), {-32768, -32768, 32767, 32767, 3}, 60);
  ASSERT_TRUE(touch);
  EXPECT_EQ(touch->x, 4);
  EXPECT_EQ(touch->y, 1);
}

TEST(Detector, ANegativeThresholdTakesTheFirstSampleEvenOutsideTheFrame) {
  const auto touch = findTouch(FrameView(reference), FrameView(reference), {-10, -3, 5, 5, 1}, -1);
  ASSERT_TRUE(touch);
  EXPECT_EQ(touch->x, -10);
  EXPECT_EQ(touch->y, -3);
  EXPECT_EQ(touch->difference, 0);
}

TEST(Detector, AMissingFrameReadsMinusOneEverywhere) {
  const QImage none;
  // Against a picture every sample differs by red + 1.
  const auto touch = findTouch(FrameView(withDots(plainFrame(10), {{4, 2, 80}})), FrameView(none),
                               {0, 0, 320, 240, 1}, 60);
  ASSERT_TRUE(touch);
  EXPECT_EQ(touch->x, 4);
  EXPECT_EQ(touch->y, 2);
  EXPECT_EQ(touch->difference, 81);
  EXPECT_FALSE(findTouch(FrameView(none), FrameView(none), {0, 0, 320, 240, 1}, 0));
}

TEST(Detector, NothingIsSampledWithAnEmptyRangeOrNoStride) {
  const QImage bright = plainFrame(255);
  EXPECT_FALSE(findTouch(FrameView(bright), FrameView(reference), {10, 0, 9, 240, 1}, 0));
  EXPECT_FALSE(findTouch(FrameView(bright), FrameView(reference), {0, 10, 320, 9, 1}, 0));
  EXPECT_FALSE(findTouch(FrameView(bright), FrameView(reference), {0, 0, 320, 240, 0}, 0));
}

}  // namespace
