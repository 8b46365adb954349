#pragma once
// The built-in demo scenes, rendered in the program, the same for the same frame number, 30
// frames a second, each in a loop of its own:
// - the floor: a foot steps in, stands, lifts, taps, drags and walks off, followed by a hand
//   swiping across the whole picture to the right and then to the left (twelve seconds);
// - the rear-projection screen: a fingertip presses, as a short bright stripe, at one place
//   after another (eight seconds);
// - the pinch: two fingers close in on each other, hold, spread apart, hold and lift (three
//   seconds).

#include "capture/capture_component.h"
#include "capture/frame_ticker.h"

#include <QImage>

#include <chrono>
#include <cstdint>
#include <functional>

namespace vornix::capture {

class DemoScene {
public:
  static constexpr int kFps = 30;
  static constexpr int kLoopFrames = 360;  // of the floor
  static constexpr int kTapLoopFrames = 240;
  static constexpr int kPinchLoopFrames = 90;

  enum class Scene { Floor, RearProjection, Pinch };
  // The scene that shows what a projection mode detects: the stripe for the rear-projection
  // mode 3, the pinch for the two-point mode 6, the floor for the others.
  static Scene sceneForMode(double mode);

  struct Blob {
    bool present = false;
    double cx = 0, cy = 0;  // centre, camera pixels
    double rx = 0, ry = 0;  // half axes
    bool bright = true;     // a light foot; otherwise a dark hand
  };

  // Where the foot or hand is in a frame (frames count from 0 and repeat every kLoopFrames).
  static Blob blobAt(std::int64_t frame);

  // The pressing fingertip: a stripe 10 rows high whose left edge starts at column left; its
  // brightness rises over 8 columns, stays for 10 and falls over 8.
  struct Tap {
    bool present = false;
    int left = 0, top = 0;
  };
  static constexpr int kStripeColumns = 26;
  static constexpr int kStripeRows = 10;
  static Tap tapAt(std::int64_t frame);

  // The two fingers: 5 columns wide, 40 rows from the same top row; motion -1 while they close
  // in, 1 while they spread, 0 while they hold.
  struct Fingers {
    bool present = false;
    int left1 = 0, left2 = 0, top = 0;
    int motion = 0;
  };
  static Fingers fingersAt(std::int64_t frame);

  // The camera picture of a frame of a scene: 320 x 240 RGB32.
  static QImage render(std::int64_t frame, Scene scene = Scene::Floor);
};

class DemoCapture final : public CaptureComponent {
public:
  // Real time: the frame shown follows a monotonic clock from construction. Step mode: every
  // grab shows the next frame, starting at frame 0.
  explicit DemoCapture(bool step);
  ~DemoCapture() override;

  // The scene to show, asked at every grab (without it: the floor).
  void followProjectionMode(std::function<double()> mode) override {
    scene_ = [mode = std::move(mode)] { return DemoScene::sceneForMode(mode()); };
  }

  void release() override;
  Grab grabToSlot(FrameSlot& slot) override;
  // Real time: a thread of its own tells of each frame as its time comes, as a camera would.
  void onNewFrame(std::function<void()> notify) override;
  bool frameWaiting() const override;
  int videoWidth() const override;
  int videoHeight() const override;
  std::int16_t channelNumber(bool) const override { return 0; }
  bool finished() const override { return false; }
  QString description() const override;

private:
  bool step_;
  std::function<DemoScene::Scene()> scene_;
  DemoScene::Scene renderedScene_ = DemoScene::Scene::Floor;
  bool released_ = false;
  FrameTicker clock_{std::chrono::microseconds(1'000'000 / DemoScene::kFps)};
  std::int64_t nextStepFrame_ = 0;
  std::int64_t renderedFrame_ = -1;  // the frame handed out last
  QImage rendered_;
};

}  // namespace vornix::capture
