#pragma once
// The simulated room: a camera beside the projector that watches this machine's own screen.
// The screen appears as a quadrilateral in the 320 x 240 picture (perspective), bent by a lens,
// sampled bilinearly, with sensor noise of +-3 on every channel, 20 frames a second. Whatever
// is drawn on the screen is what the camera sees on the floor, so a window drawn there is a
// touch.

#include "base/result.h"
#include "capture/capture_component.h"
#include "capture/frame_ticker.h"
#include "capture/screen_grabber.h"

#include <QPointF>
#include <QSize>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace vornix::capture {

// Where the camera sees the screen.
struct CameraPlacement {
  // The picture pixels of the screen's top-left, bottom-left, top-right and bottom-right
  // pixels; nothing: the screen fills the picture.
  std::optional<std::array<QPointF, 4>> corners;
  // The lens: a point the perspective alone puts at u appears at
  // p = c + (u - c)(1 + k1 r^2), c = (160, 120), r = |u - c| / 200.
  double k1 = 0;
};

// Whether a --source value names the simulated room ("screen" or "screen:...").
bool isScreenSource(const QString& sourceText);

// The placement of "screen[:x0,y0,x1,y1,x2,y2,x3,y3[:K1]]" (an empty QUAD before ":K1" keeps
// the screen filling the picture). The corners must enclose a convex quadrilateral and K1 lie
// within -1..1.
Result<CameraPlacement, SourceError> parseScreenSource(const QString& sourceText);

// The camera picture of a screen image. The sampling map is worked out once per screen size.
class ScreenCamera {
public:
  static constexpr int kNoise = 3;

  explicit ScreenCamera(const CameraPlacement& placement);
  ~ScreenCamera();
  ScreenCamera(const ScreenCamera&) = delete;
  ScreenCamera& operator=(const ScreenCamera&) = delete;

  // 320 x 240 RGB32; outside the screen the room is black. The noise is drawn from the seed,
  // so the same seed gives the same picture.
  QImage picture(const QImage& screen, std::uint64_t noiseSeed);

  // Where the camera sees screen point (x, y) (pixel centres), lens included.
  QPointF cameraPoint(QSize screen, QPointF point) const;

private:
  struct Map;
  CameraPlacement placement_;
  std::unique_ptr<Map> map_;
};

class ScreenCapture final : public CaptureComponent {
public:
  static constexpr int kFps = 20;

  // Connects to the display through openScreen; a failure is kept as the open failure.
  // Real time: a new frame every 1/20 s, the screen taken by the first grab within it (the
  // frame arrives then). Step mode: every grab takes a new frame.
  ScreenCapture(const CameraPlacement& placement, const ScreenGrabberFactory& openScreen, bool step);

  void release() override;
  Grab grabToSlot(FrameSlot& slot) override;
  // Real time: a thread of its own tells of each frame as its 1/20 s begins.
  void onNewFrame(std::function<void()> notify) override;
  bool frameWaiting() const override;
  int videoWidth() const override;
  int videoHeight() const override;
  std::int16_t channelNumber(bool) const override { return grabber_ ? 0 : -1; }
  bool finished() const override { return false; }
  QString description() const override;
  std::optional<SourceFailure> openFailure() const override { return failure_; }

private:
  ScreenCamera camera_;
  std::unique_ptr<ScreenGrabber> grabber_;
  std::optional<SourceFailure> failure_;
  bool step_;
  bool released_ = false;
  FrameTicker clock_{std::chrono::milliseconds(1000 / kFps)};
  std::int64_t shownFrame_ = -1;
  std::int64_t nextStepFrame_ = 0;
  QImage shown_;
  FrameSlot::Arrival shownArrival_;
};

}  // namespace vornix::capture
