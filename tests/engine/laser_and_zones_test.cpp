// The limits that decide what a laser spot is and when a zone fires.

#include "engine/laser_spot_detector.h"
#include "engine/zone_watch.h"
#include "engine/drawn_frames.h"

#include <gtest/gtest.h>

namespace vornix::engine {
namespace {

using testing::plainFrame;
using testing::withRed;

QImage withRect(QImage frame, const QRect& rect, int red) {
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) frame.setPixel(x, y, withRed(red));
  return frame;
}

const ScanArea kWholeFrame{0, 0, 320, 240, 1};

TEST(LaserSpot, AGroupUpToFourHundredSamplesAndThirtyAcrossIsASpotBeyondNot) {
  // 20 x 20 = 400 samples: a spot, at its centroid rounded half to even.
  const QImage square = withRect(plainFrame(100), QRect(10, 50, 20, 20), 250);
  const LaserSearch found = findLaserSpot(FrameView(square), kWholeFrame, 200);
  ASSERT_TRUE(found.spot);
  EXPECT_EQ(found.spot->samples, 400);
  EXPECT_EQ(found.spot->x, 20);  // 19.5
  EXPECT_EQ(found.spot->y, 60);  // 59.5
  EXPECT_EQ(found.brightest, 250);
  // 401 samples, 30 across, and 31 across with few samples: no spot.
  EXPECT_FALSE(findLaserSpot(FrameView(withRect(square, QRect(30, 50, 1, 1), 250)), kWholeFrame, 200).spot);
  EXPECT_TRUE(findLaserSpot(FrameView(withRect(plainFrame(100), QRect(10, 50, 30, 2), 250)), kWholeFrame, 200).spot);
  EXPECT_FALSE(findLaserSpot(FrameView(withRect(plainFrame(100), QRect(10, 50, 31, 2), 250)), kWholeFrame, 200).spot);
  EXPECT_FALSE(findLaserSpot(FrameView(withRect(plainFrame(100), QRect(10, 50, 2, 31), 250)), kWholeFrame, 200).spot);
  // At stride 2 the limits count samples: 40 pixels across are 20 samples.
  const ScanArea strided{0, 0, 320, 240, 2};
  EXPECT_TRUE(findLaserSpot(FrameView(withRect(plainFrame(100), QRect(10, 50, 40, 2), 250)), strided, 200).spot);
}

TEST(LaserSpot, TheBrightestSpotWinsAndAFlashDoesNotHideIt) {
  QImage frame = withRect(plainFrame(100), QRect(0, 0, 320, 100), 255);  // a white area
  frame = withRect(frame, QRect(50, 150, 3, 3), 230);
  frame = withRect(frame, QRect(200, 200, 3, 3), 240);
  const LaserSearch found = findLaserSpot(FrameView(frame), kWholeFrame, 220);
  ASSERT_TRUE(found.spot);
  EXPECT_EQ(found.spot->x, 201);
  EXPECT_EQ(found.spot->peak, 240);
  // Exactly at the threshold is not bright enough.
  EXPECT_FALSE(findLaserSpot(FrameView(withRect(plainFrame(100), QRect(5, 5, 2, 2), 220)), kWholeFrame, 220).spot);
}

TEST(ZoneWatch, FiresAtATenthAndReArmsBelowATwentieth) {
  ZoneWatch watch;
  const QImage reference = plainFrame(100);
  const QRect zone(0, 0, 10, 10);  // 100 samples
  const auto pass = [&](int differing) {
    const QImage frame = withRect(reference, QRect(0, 0, 10, differing / 10), 200);
    return watch.update({countDiffering(FrameView(frame), FrameView(reference), zone, 1, 60)});
  };
  EXPECT_TRUE(pass(0).empty());
  const auto on = pass(10);
  ASSERT_EQ(on.size(), 1u);
  EXPECT_TRUE(on[0].occupied);
  EXPECT_TRUE(pass(10).empty());  // still occupied: fires once
  EXPECT_TRUE(pass(50).empty());
  const auto off = pass(0);
  ASSERT_EQ(off.size(), 1u);
  EXPECT_FALSE(off[0].occupied);
  // Between a twentieth and a tenth nothing changes either way.
  ZoneWatch edge;
  const QImage five = withRect(reference, QRect(0, 0, 5, 1), 200), nine = withRect(reference, QRect(0, 0, 9, 1), 200);
  EXPECT_TRUE(edge.update({countDiffering(FrameView(nine), FrameView(reference), zone, 1, 60)}).empty());
  edge.update({ZoneCount{10, 100}});
  EXPECT_TRUE(edge.update({countDiffering(FrameView(five), FrameView(reference), zone, 1, 60)}).empty());
  EXPECT_EQ(edge.update({ZoneCount{4, 100}}).size(), 1u);
}

}  // namespace
}  // namespace vornix::engine
