#pragma once
// The built-in demo scene: a projected surface watched by the camera, on which a foot steps in,
// stands, lifts, taps, drags and walks off, followed by a hand swiping across the whole picture
// to the right and then to the left. Rendered in the program, the same for the same frame
// number, 30 frames a second, in a loop of twelve seconds.

#include "capture/capture_component.h"

#include <QElapsedTimer>
#include <QImage>

#include <cstdint>

namespace vornix::capture {

class DemoScene {
public:
  static constexpr int kFps = 30;
  static constexpr int kLoopFrames = 360;

  struct Blob {
    bool present = false;
    double cx = 0, cy = 0;  // centre, camera pixels
    double rx = 0, ry = 0;  // half axes
    bool bright = true;     // a light foot; otherwise a dark hand
  };

  // Where the foot or hand is in a frame (frames count from 0 and repeat every kLoopFrames).
  static Blob blobAt(std::int64_t frame);
  // The camera picture of a frame: 320 x 240 RGB32.
  static QImage render(std::int64_t frame);
};

class DemoCapture final : public CaptureComponent {
public:
  // Real time: the frame shown follows a monotonic clock from construction. Step mode: every
  // grab shows the next frame, starting at frame 0.
  explicit DemoCapture(bool step);

  void release() override { released_ = true; }
  Grab grabToSlot(FrameSlot& slot) override;
  int videoWidth() const override;
  int videoHeight() const override;
  std::int16_t channelNumber(bool) const override { return 0; }
  bool finished() const override { return false; }
  QString description() const override;

private:
  bool step_;
  bool released_ = false;
  QElapsedTimer clock_;
  std::int64_t nextStepFrame_ = 0;
  std::int64_t renderedFrame_ = -1;  // the frame handed out last
  QImage rendered_;
};

}  // namespace vornix::capture
