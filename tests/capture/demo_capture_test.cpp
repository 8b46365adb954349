#include "capture/demo_capture.h"

#include "base/frame.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace vornix::capture {
namespace {

constexpr int kThreshold = 60;

// The detector's default pass: stride 2 over the whole picture, the first sample whose red
// differs from the reference by more than the threshold.
std::optional<QPoint> firstTouch(const QImage& current, const QImage& reference) {
  const FrameView cur(current), ref(reference);
  for (int y = 0; y <= kFrameHeight; y += 2)
    for (int x = 0; x <= kFrameWidth; x += 2)
      if (std::abs(cur.red(x, y) - ref.red(x, y)) > kThreshold) return QPoint(x, y);
  return std::nullopt;
}

int largestRedDifference(const QImage& a, const QImage& b) {
  const FrameView va(a), vb(b);
  int largest = 0;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x) largest = std::max(largest, std::abs(va.red(x, y) - vb.red(x, y)));
  return largest;
}

// The page-flip gesture as the output stage recognises it, on camera X.
class SwipeHistory {
public:
  std::optional<const char*> add(int x) {
    if (x == last_) return std::nullopt;  // an unchanged feed runs nothing
    last_ = x;
    std::copy(h_.begin() + 1, h_.begin() + 30, h_.begin());
    h_[29] = x;
    if (h_[29] > 280) {
      int k = 29;
      while (h_[k] > h_[k - 1] && k > 1 && h_[k] >= 40) --k;
      if (h_[k] < 40 && k > 2 && k < 25) return clear("right");
    }
    if (h_[29] < 40) {
      int k = 29;
      while (h_[k] < h_[k - 1] && k > 1 && h_[k] <= 280) --k;
      if (h_[k] > 280 && k > 2 && k < 25) return clear("left");
    }
    return std::nullopt;
  }

private:
  const char* clear(const char* direction) {
    h_.fill(0);
    return direction;
  }
  std::array<int, 31> h_{};
  int last_ = -1;
};

struct Observed {
  std::vector<std::int64_t> touchFrames;
  std::vector<std::string> swipes;
};

// Runs the dynamic-reference detector over the given frames of the scene.
Observed detect(const std::vector<std::int64_t>& frames) {
  Observed run;
  SwipeHistory swipes;
  QImage reference;
  for (std::int64_t frame : frames) {
    const QImage current = DemoScene::render(frame);
    if (!reference.isNull()) {
      if (const auto touch = firstTouch(current, reference)) {
        run.touchFrames.push_back(frame);
        if (const auto swipe = swipes.add(touch->x())) run.swipes.push_back(*swipe);
      }
    }
    reference = current;
  }
  return run;
}

std::vector<std::int64_t> framesTaken(int grabs, double framesPerGrab) {
  std::vector<std::int64_t> frames;
  for (int i = 0; i < grabs; ++i) frames.push_back(std::int64_t(std::floor(i * framesPerGrab)));
  return frames;
}

TEST(DemoScene, SameFrameGivesTheSameImage) {
  EXPECT_EQ(DemoScene::render(137), DemoScene::render(137));
  EXPECT_NE(DemoScene::render(137), DemoScene::render(138)) << "the noise changes from frame to frame";
}

TEST(DemoScene, StepModeShowsOneFrameAfterAnotherFromTheFirst) {
  DemoCapture capture(true);
  FrameSlot slot;
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_TRUE(capture.grabToSlot(slot));
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

TEST(DemoScene, TouchesComeEveryFewSecondsAndStillnessGivesNone) {
  std::vector<std::int64_t> frames;
  for (std::int64_t f = 0; f < 2 * DemoScene::kLoopFrames; ++f) frames.push_back(f);
  const Observed run = detect(frames);
  ASSERT_FALSE(run.touchFrames.empty());
  for (size_t i = 1; i < run.touchFrames.size(); ++i)
    EXPECT_LE(run.touchFrames[i] - run.touchFrames[i - 1], 3 * DemoScene::kFps) << "after frame " << run.touchFrames[i - 1];
  for (std::int64_t f : run.touchFrames) {
    const std::int64_t inLoop = f % DemoScene::kLoopFrames;
    EXPECT_FALSE(inLoop > 46 && inLoop < 75) << "the foot stands still, yet frame " << f << " shows a touch";
  }
}

TEST(DemoScene, SwipesAreRecognisedStepByStep) {
  const Observed run = detect(framesTaken(DemoScene::kLoopFrames, 1.0));
  EXPECT_EQ(run.swipes, (std::vector<std::string>{"right", "left"}));
}

TEST(DemoScene, SwipesAreRecognisedAtTwentyGrabsASecond) {
  const Observed run = detect(framesTaken(2 * DemoScene::kLoopFrames * 2 / 3, 1.5));
  EXPECT_EQ(run.swipes, (std::vector<std::string>{"right", "left", "right", "left"}));
}

}  // namespace
}  // namespace vornix::capture
