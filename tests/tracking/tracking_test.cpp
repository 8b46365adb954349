// The tracker's boundaries: matching that a greedy choice gets wrong, an identity kept across a
// short gap and ended after a long one, and a visitor who stands still for a minute.

#include "base/frame.h"
#include "tracking/blob_tracker.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace vornix::tracking {
namespace {

Blob blobAt(double x, double y) { return Blob{QPointF(x, y), QRect(int(x) - 4, int(y) - 4, 8, 8), 50}; }

// Raw positions: a cutoff far above the frame rate leaves them as they are.
TrackingParameters unsmoothed(bool greedy = false) {
  TrackingParameters p;
  p.smoothing.minCutoff = 1e6;
  p.greedy = greedy;
  return p;
}

TEST(IdentityTracker, TakesTheLeastTotalDistanceWhereTheNearestPairMisleads) {
  // Expected at 100 and 110; found at 104 and 94. Nearest first pairs 100-104, leaving 110-94
  // (20 in all); the least total pairs 100-94 and 110-104 (12).
  for (const bool greedy : {false, true}) {
    IdentityTracker tracker(unsmoothed(greedy));
    tracker.update({blobAt(100, 50), blobAt(110, 50)}, 0.0);
    const TrackedFrame& frame = tracker.update({blobAt(104, 50), blobAt(94, 50)}, 0.05);
    ASSERT_EQ(frame.blobs.size(), 2u);
    EXPECT_EQ(frame.blobs[0].id, 1);
    EXPECT_NEAR(frame.blobs[0].centre.x(), greedy ? 104 : 94, 0.01) << (greedy ? "greedy" : "optimal");
    EXPECT_NEAR(frame.blobs[1].centre.x(), greedy ? 94 : 104, 0.01) << (greedy ? "greedy" : "optimal");
  }
}

TEST(IdentityTracker, KeepsAnIdentityAcrossAShortGapAndEndsItAfterALongOne) {
  IdentityTracker tracker(unsmoothed());
  double t = 0;
  for (int x = 100; x <= 120; x += 4) tracker.update({blobAt(x, 50)}, t += 0.05);
  // Gone for as many frames as an identity is kept: still there, expected on along its way.
  for (int i = 0; i < TrackingParameters{}.keepFrames; ++i) {
    const TrackedFrame& frame = tracker.update({}, t += 0.05);
    ASSERT_EQ(frame.blobs.size(), 1u);
    EXPECT_FALSE(frame.blobs[0].seen);
    EXPECT_TRUE(frame.ended.empty());
  }
  const TrackedFrame& back = tracker.update({blobAt(120 + 4 * 11, 50)}, t += 0.05);
  ASSERT_EQ(back.blobs.size(), 1u);
  EXPECT_EQ(back.blobs[0].id, 1);
  EXPECT_TRUE(back.blobs[0].seen);

  for (int i = 0; i < TrackingParameters{}.keepFrames; ++i) tracker.update({}, t += 0.05);
  const TrackedFrame& gone = tracker.update({}, t += 0.05);
  EXPECT_TRUE(gone.blobs.empty());
  EXPECT_EQ(gone.ended, std::vector<int>{1});
  EXPECT_TRUE(tracker.update({blobAt(50, 50)}, t += 0.05).ended.empty());
  EXPECT_EQ(tracker.update({blobAt(50, 50)}, t += 0.05).blobs.at(0).id, 2);
}

QImage floorWith(int visitors, QColor floor = QColor(100, 90, 80)) {
  QImage frame = blankFrame();
  frame.fill(floor);
  QPainter painter(&frame);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(200, 190, 180));
  for (int i = 0; i < visitors; ++i) painter.drawEllipse(QPointF(60 + 80 * i, 120), 8, 8);
  return frame;
}

TEST(BlobTracker, AVisitorStandingStillForAMinuteStaysABlob) {
  BlobTracker tracker;
  const QRect area(0, 0, kFrameWidth, kFrameHeight);
  const QImage empty = floorWith(0), visitors = floorWith(2);
  EXPECT_TRUE(tracker.update(FrameView(empty), nullptr, area, 60, 0).blobs.empty());
  const TrackedFrame* frame = nullptr;
  for (int i = 1; i <= 20 * 60; ++i) frame = &tracker.update(FrameView(visitors), nullptr, area, 60, i * 0.05);
  ASSERT_EQ(frame->blobs.size(), 2u);
  EXPECT_NEAR(frame->blobs[0].centre.x(), 60, 0.5);
  EXPECT_NEAR(frame->blobs[1].centre.x(), 140, 0.5);
  EXPECT_NEAR(frame->blobs[0].area, 200, 30);

  // The whole scene changes (the light goes down): nothing is found, and the background starts
  // again from that frame.
  const QColor dim(20, 20, 20);
  for (const TrackedBlob& blob : tracker.update(FrameView(floorWith(2, dim)), nullptr, area, 60, 60.05).blobs)
    EXPECT_FALSE(blob.seen);
  const TrackedFrame& after = tracker.update(FrameView(floorWith(3, dim)), nullptr, area, 60, 60.1);
  ASSERT_EQ(after.blobs.size(), 3u);
  EXPECT_EQ(after.blobs[2].id, 3);
}

}  // namespace
}  // namespace vornix::tracking
