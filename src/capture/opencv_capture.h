#pragma once
// Capture through OpenCV videoio. Real time: a capture thread keeps only the newest frame and
// the user-interface thread takes it without waiting for the camera; files and sequences play
// at their own frame rate. Step mode (files, sequences, pipelines): no thread, every grab
// reads the next frame.

#include "capture/capture_component.h"

#include <QImage>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
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
  OpenCvCapture(const VideoSource& source, bool step);
  ~OpenCvCapture() override;

  void release() override;
  bool grabToSlot(FrameSlot& slot) override;
  void requestFormat(int width, int height, int subtype) override;
  int videoWidth() const override;
  int videoHeight() const override;
  std::int16_t channelNumber(bool selector) const override;
  bool finished() const override;
  QString description() const override;

  // Whether the source was opened (or reopened) and is delivering.
  bool isOpen() const { return open_; }
  // Why the last open failed, empty when it did not.
  QString openError() const;

private:
  struct Device;  // the cv::VideoCapture, kept out of this header

  bool openSource();
  QString describe() const;  // with mutex_ held
  bool readFrame(QImage& out);
  void run();
  bool waitFor(std::chrono::steady_clock::time_point until);  // false when asked to stop

  VideoSource source_;
  bool step_;
  std::unique_ptr<Device> device_;
  std::atomic<bool> open_{false};
  double fps_ = 30;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  QImage latest_;
  std::uint64_t latestSerial_ = 0;
  std::uint64_t takenSerial_ = 0;
  bool ended_ = false;
  bool released_ = false;
  QString openError_;
  int requestedWidth_ = 0;
  int requestedHeight_ = 0;
  bool formatPending_ = false;

  // Step mode reads one frame ahead, so that the grab that hands out the last frame already
  // knows it was the last.
  QImage ahead_;
  bool aheadValid_ = false;

  std::thread thread_;
};

}  // namespace vornix::capture
