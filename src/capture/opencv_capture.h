#pragma once
// Capture through OpenCV videoio. Real time: a capture thread keeps only the newest frame and
// the user-interface thread takes it without waiting for the camera; files and sequences play
// at their own frame rate. Step mode (files, sequences, pipelines): no thread, every grab
// reads the next frame. An exception of the video library counts as a failed read: the end
// of a file, a camera lost (looked for again once a second).

#include "capture/capture_component.h"
#include "capture/video_devices.h"

#include <QImage>

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

namespace vornix::capture {

enum class SourceKind { Device, File, Sequence, Pipeline };

struct VideoSource {
  SourceKind kind = SourceKind::Device;
  QString location;     // device path, file, pattern or pipeline
  int deviceIndex = -1; // a device given by its index
  bool firstDevice = false;  // "": whichever /dev/video* comes first
};

// Reads a --source value (anything but "demo").
VideoSource parseVideoSource(const QString& text);

class OpenCvCapture final : public CaptureComponent {
public:
  // A camera is asked for the mode chosen among those that devices lists for its node; without
  // devices, or when its node lists none, for YUYV at the requested size and the driver's
  // fastest rate.
  OpenCvCapture(const VideoSource& source, bool step, std::shared_ptr<const VideoDeviceEnumerator> devices = {});
  ~OpenCvCapture() override;

  // Stops the capture thread. A thread stuck in a read of the video library is waited for at
  // most kStopWait and then left behind: it ends, and frees the device, when the read returns.
  void release() override;
  Grab grabToSlot(FrameSlot& slot) override;
  void requestFormat(int width, int height, int subtype) override;
  int videoWidth() const override;
  int videoHeight() const override;
  std::int16_t channelNumber(bool selector) const override;
  bool finished() const override;
  QString description() const override;
  void onNewFrame(std::function<void()> notify) override;
  bool frameWaiting() const override;

  // Whether the source was opened (or reopened) and is delivering.
  bool isOpen() const;
  // Why the last open failed, empty when it did not.
  std::optional<SourceFailure> openFailure() const override;

  static constexpr std::chrono::seconds kStopWait{1};

private:
  // The device and everything the capture thread shares with the component; the thread holds
  // it too, so a thread left behind never reads freed memory.
  struct Reader;

  std::shared_ptr<Reader> reader_;
  bool step_;
  bool released_ = false;
  bool reportedAvailable_ = false;  // what stderr and the trace last said of the source

  // Step mode reads one frame ahead, so that the grab that hands out the last frame already
  // knows it was the last.
  QImage ahead_;
  bool aheadValid_ = false;

  std::thread thread_;
};

}  // namespace vornix::capture
