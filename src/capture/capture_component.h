#pragma once
// The capture component of the default capture window (sdk2000): the operations the program
// uses of the capture card's control, by their role. Backends: OpenCV videoio (cameras, video
// files, image sequences, GStreamer pipelines), the built-in demo scene and the simulated room.

#include "base/result.h"
#include "capture/frame_slot.h"
#include "capture/screen_grabber.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace vornix::capture {

class VideoDeviceEnumerator;

struct FormatRequest {
  int width = 0;
  int height = 0;
  int subtype = 0;
  bool operator==(const FormatRequest&) const = default;
};

// What a grab handed over.
enum class Grab {
  Nothing,   // no frame has arrived yet, or the device is released: the slot is left as it was
  Repeated,  // the frame the grab before handed over, again: no new frame came since
  New,       // a frame that no earlier grab handed over
};

// Why a source could not be opened.
enum class SourceError {
  NoDevice,       // no camera at that path, or none at all
  NoFile,         // the video file does not exist
  NotOpened,      // it exists, but the video library cannot open it
  LibraryFailed,  // the video library threw
  NoDisplay,      // the simulated room has no screen to watch
  Malformed,      // the source's text does not say what it must
};
using SourceFailure = Failure<SourceError>;

class CaptureComponent {
public:
  virtual ~CaptureComponent() = default;
  CaptureComponent() = default;
  CaptureComponent(const CaptureComponent&) = delete;
  CaptureComponent& operator=(const CaptureComponent&) = delete;

  // Video standard (1: PAL) and video input (1: second source). Kept for the record; no
  // backend here has an analogue front end to switch.
  virtual void setVideoStandard(std::int16_t standard) { videoStandard_ = standard; }
  virtual void setVideoInput(std::int16_t input) { videoInput_ = input; }
  std::int16_t videoStandard() const { return videoStandard_; }
  std::int16_t videoInput() const { return videoInput_; }

  // Releases the device; later grabs put nothing.
  virtual void release() = 0;

  // Puts the current frame into the slot and tells whether it is new. A file or sequence in
  // step mode hands out its next frame at every grab, so its frames are always new until
  // the last has been handed out.
  virtual Grab grabToSlot(FrameSlot& slot) = 0;

  // Capture format request. Frames are always handed over at 320 x 240; a camera is asked for
  // the requested size so that it need not be scaled.
  virtual void requestFormat(int width, int height, int subtype) { format_ = {width, height, subtype}; }
  FormatRequest requestedFormat() const { return format_; }

  // Size in pixels of the frames handed over.
  virtual int videoWidth() const = 0;
  virtual int videoHeight() const = 0;

  // The device's channel number; negative when no device is connected. The argument is the
  // card's own selector and changes nothing here.
  virtual std::int16_t channelNumber(bool selector) const = 0;

  // A file or sequence source has handed out its last frame (never for cameras and the demo).
  virtual bool finished() const = 0;

  // The source in words, for the trace and the help text.
  virtual QString description() const = 0;

  // A source that draws a scene of its own (the demo) draws the one that the projection mode
  // detects; mode() reads the selected mode whenever a frame is drawn. Cameras and files
  // ignore it.
  virtual void followProjectionMode(std::function<double()> mode) { (void)mode; }

  // Why the source is not open now; nothing while it is (the demo always is).
  virtual std::optional<SourceFailure> openFailure() const { return std::nullopt; }

  // Called each time a new frame is ready to grab, on the thread the frame arrived on (the
  // capture thread of a camera), so it must only post to the user-interface thread; a source
  // with a frame already waiting calls it once at once. Only the newest frame waits: one that
  // arrives before the last was grabbed replaces it.
  virtual void onNewFrame(std::function<void()> notify) { (void)notify; }
  // Whether a grab now would hand over a new frame.
  virtual bool frameWaiting() const { return false; }

private:
  std::int16_t videoStandard_ = 0;
  std::int16_t videoInput_ = 0;
  FormatRequest format_;
};

// Makes the component for a --source value: "demo" for the built-in scene; a device
// ("/dev/video0" or an index "0"); a video file; an image-sequence pattern ("frames/%04d.png");
// "gst:PIPELINE"; "screen[:QUAD[:K1]]", the simulated room, which watches the screen that
// openScreen connects to. An empty text takes the first video device; a camera is asked for the
// mode chosen among those that devices lists for it. In step mode a file,
// sequence or pipeline gives its next frame at every grab instead of playing in real time. A
// source that cannot be opened still yields a component (its channel number is negative, its
// openFailure() says why).
std::unique_ptr<CaptureComponent> makeCapture(const QString& sourceText, bool step,
                                              const ScreenGrabberFactory& openScreen = {},
                                              std::shared_ptr<const VideoDeviceEnumerator> devices = {});

}  // namespace vornix::capture
