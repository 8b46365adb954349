#include "capture/screen_camera.h"

#include "base/frame.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace vornix::capture {
namespace {

// The brightest red of the picture and where it is.
QPoint brightest(const QImage& picture) {
  const FrameView view(picture);
  QPoint best;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x)
      if (view.red(x, y) > view.red(best.x(), best.y())) best = QPoint(x, y);
  return best;
}

// A 320 x 240 screen seen whole is the picture itself; the lens then moves a point 140 pixels
// right of the centre (r = 0.7) to 160 + 140 (1 + 0.08 * 0.49) = 305.49.
TEST(ScreenCamera, LensMovesAPointOutwardsAsTheFormulaSays) {
  QImage screen(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
  screen.fill(qRgb(100, 100, 100));
  screen.setPixel(300, 120, qRgb(255, 255, 255));
  ScreenCamera camera(*parseScreenSource(QStringLiteral("screen::0.08")));
  const QImage picture = camera.picture(screen, 1);
  EXPECT_EQ(brightest(picture), QPoint(305, 120));
  EXPECT_NEAR(camera.cameraPoint(screen.size(), QPointF(300, 120)).x(), 305.49, 0.01);

  // Noise of at most 3 on the grey, different from frame to frame.
  const FrameView view(picture);
  for (int x = 0; x < 100; ++x) EXPECT_NEAR(view.red(x, 10), 100, ScreenCamera::kNoise);
  EXPECT_NE(picture, camera.picture(screen, 2));
}

// The screen's corner pixels appear at the corners given; beyond the screen the room is black.
TEST(ScreenCamera, PerspectivePutsTheScreenCornersWhereTheyAreSeen) {
  QImage screen(1024, 768, QImage::Format_RGB32);
  screen.fill(qRgb(200, 200, 200));
  ScreenCamera camera(*parseScreenSource(QStringLiteral("screen:44,24,24,216,276,24,296,216")));
  const QImage picture = camera.picture(screen, 1);
  const FrameView view(picture);
  EXPECT_NEAR(view.red(44, 24), 200, ScreenCamera::kNoise);
  EXPECT_NEAR(view.red(296, 216), 200, ScreenCamera::kNoise);
  EXPECT_LE(view.red(40, 24), ScreenCamera::kNoise);
  EXPECT_LE(view.red(160, 220), ScreenCamera::kNoise);
  const QPointF topRight = camera.cameraPoint(screen.size(), QPointF(1023, 0));
  EXPECT_NEAR(topRight.x(), 276, 1e-6);
  EXPECT_NEAR(topRight.y(), 24, 1e-6);
}

// Frame pacing: each new 1/20 s is told of from the camera's own thread, and the frame arrives
// when a grab takes the screen.
TEST(ScreenCapture, TellsOfEachNewFrameAndStampsItWhenTheScreenIsTaken) {
  struct GreyScreen final : ScreenGrabber {
    QImage grab() override {
      QImage screen(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
      screen.fill(qRgb(100, 100, 100));
      return screen;
    }
  };
  ScreenCapture capture({}, [](QString*) { return std::make_unique<GreyScreen>(); }, false);
  FrameSlot slot;
  EXPECT_TRUE(capture.frameWaiting());
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(capture.grabToSlot(slot), Grab::New);
  ASSERT_TRUE(slot.arrived());
  EXPECT_GE(*slot.arrived(), before);
  EXPECT_LE(*slot.arrived(), std::chrono::steady_clock::now());

  std::atomic<int> told = 0;
  capture.onNewFrame([&told] { ++told; });
  for (int i = 0; i < 400 && told == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_GE(told.load(), 1);
  EXPECT_TRUE(capture.frameWaiting());
  capture.release();
  EXPECT_FALSE(capture.frameWaiting());
}

}  // namespace
}  // namespace vornix::capture
