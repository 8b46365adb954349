#include "capture/demo_capture.h"

#include "base/frame.h"

#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace vornix::capture {
namespace {

int largestRedDifference(const QImage& a, const QImage& b) {
  const FrameView va(a), vb(b);
  int largest = 0;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x) largest = std::max(largest, std::abs(va.red(x, y) - vb.red(x, y)));
  return largest;
}

TEST(DemoScene, SameFrameGivesTheSameImage) {
  EXPECT_EQ(DemoScene::render(137), DemoScene::render(137));
  EXPECT_NE(DemoScene::render(137), DemoScene::render(138)) << "the noise changes from frame to frame";
}

TEST(DemoScene, StepModeShowsOneFrameAfterAnotherFromTheFirst) {
  DemoCapture capture(true);
  FrameSlot slot;
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_EQ(capture.grabToSlot(slot), Grab::New);
    EXPECT_EQ(*slot.get(), DemoScene::render(frame));
  }
  EXPECT_EQ(slot.get()->size(), QSize(kFrameWidth, kFrameHeight));
  EXPECT_EQ(slot.get()->format(), QImage::Format_RGB32);
  EXPECT_FALSE(capture.finished());
  EXPECT_GE(capture.channelNumber(false), 0);
}

TEST(DemoScene, NoiseAloneStaysFarBelowTheThreshold) {
  for (std::int64_t frame : {1, 50, 80, 220, 340}) {
    EXPECT_LE(largestRedDifference(DemoScene::render(frame), DemoScene::render(frame + 1)), 8)
        << "frames " << frame << " and " << frame + 1;
  }
}

TEST(DemoScene, TheFootAndHandDifferFarAboveTheThreshold) {
  const QImage bare = DemoScene::render(10);
  const QImage foot = DemoScene::render(60);
  const QImage hand = DemoScene::render(252);
  const DemoScene::Blob footBlob = DemoScene::blobAt(60), handBlob = DemoScene::blobAt(252);
  ASSERT_TRUE(footBlob.present && handBlob.present);
  const FrameView b(bare), f(foot), h(hand);
  EXPECT_GT(f.red(int(footBlob.cx), int(footBlob.cy)) - b.red(int(footBlob.cx), int(footBlob.cy)), 90);
  EXPECT_GT(b.red(int(handBlob.cx), int(handBlob.cy)) - h.red(int(handBlob.cx), int(handBlob.cy)), 70);
}

TEST(DemoScene, InRealTimeAGrabWithinTheSameFrameIsARepeat) {
  DemoCapture capture(false);
  FrameSlot slot;
  ASSERT_NE(capture.grabToSlot(slot), Grab::Nothing);
  bool repeated = false;
  for (int i = 0; i < 5 && !repeated; ++i) repeated = capture.grabToSlot(slot) == Grab::Repeated;
  EXPECT_TRUE(repeated) << "30 frames a second: two grabs in a row show the same frame";
  QThread::msleep(1000 / DemoScene::kFps + 5);
  EXPECT_EQ(capture.grabToSlot(slot), Grab::New);
}

}  // namespace
}  // namespace vornix::capture
