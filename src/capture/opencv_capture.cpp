#include "capture/opencv_capture.h"

#include "capture/jpeg_frame_decoder.h"

#include "base/frame.h"
#include "base/trace.h"
#include "capture/camera_mode.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>

#include <opencv2/core.hpp>
#include <opencv2/core/utils/logger.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <utility>

namespace vornix::capture {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kReopenInterval = std::chrono::seconds(1);
constexpr double kDefaultFps = 30;

// The first /dev/videoN by number, empty when there is none.
QString firstVideoDevice() {
  const QDir dev(QStringLiteral("/dev"));
  const QRegularExpression pattern(QStringLiteral("^video(\\d+)$"));
  int best = -1;
  for (const QString& name : dev.entryList({QStringLiteral("video*")}, QDir::System | QDir::Files)) {
    const auto match = pattern.match(name);
    if (!match.hasMatch()) continue;
    const int n = match.captured(1).toInt();
    if (best < 0 || n < best) best = n;
  }
  return best < 0 ? QString() : QStringLiteral("/dev/video%1").arg(best);
}

// Scales any decoded picture to the capture size and lays it out as RGB32 (B, G, R, 0xFF).
QImage toFrame(const cv::Mat& decoded) {
  cv::Mat src = decoded;
  if (src.depth() != CV_8U) {
    cv::Mat eight;
    src.convertTo(eight, CV_8U, src.depth() == CV_16U ? 1.0 / 256 : 1.0);
    src = eight;
  }
  if (src.cols != kFrameWidth || src.rows != kFrameHeight) {
    cv::Mat scaled;
    const bool shrinking = src.cols > kFrameWidth || src.rows > kFrameHeight;
    cv::resize(src, scaled, cv::Size(kFrameWidth, kFrameHeight), 0, 0,
               shrinking ? cv::INTER_AREA : cv::INTER_LINEAR);
    src = scaled;
  }
  QImage image(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
  cv::Mat dst(kFrameHeight, kFrameWidth, CV_8UC4, image.bits(), size_t(image.bytesPerLine()));
  switch (src.channels()) {
    case 1: cv::cvtColor(src, dst, cv::COLOR_GRAY2BGRA); break;
    case 3: cv::cvtColor(src, dst, cv::COLOR_BGR2BGRA); break;
    case 4: {
      cv::Mat bgr;
      cv::cvtColor(src, bgr, cv::COLOR_BGRA2BGR);
      cv::cvtColor(bgr, dst, cv::COLOR_BGR2BGRA);
      break;
    }
    default: return {};
  }
  return image;
}

// The decoding of a JPEG of width x height: straight at 1/8, 1/4 or 1/2 of its size, the largest
// reduction that still leaves at least the capture size, so most of the picture is never decoded.
// A camera's and an AVI's tag, or the codec's name where a container has no tag (Matroska).
bool isMotionJpeg(double fourcc) {
  const int code = int(fourcc);
  return code == cv::VideoWriter::fourcc('M', 'J', 'P', 'G') || code == cv::VideoWriter::fourcc('m', 'j', 'p', 'e');
}

bool isLive(SourceKind kind) { return kind == SourceKind::Device || kind == SourceKind::Pipeline; }

// The message of an exception of the video library, on one line.
QString failureText(const std::exception& error) {
  return QString::fromUtf8(error.what()).simplified();
}

}  // namespace

VideoSource parseVideoSource(const QString& text) {
  VideoSource source;
  if (text.isEmpty()) {
    source.kind = SourceKind::Device;
    source.firstDevice = true;
    return source;
  }
  if (text.startsWith(QLatin1String("gst:"))) {
    source.kind = SourceKind::Pipeline;
    source.location = text.mid(4);
    return source;
  }
  bool isIndex = false;
  const int index = text.toInt(&isIndex);
  if (isIndex && index >= 0) {
    source.kind = SourceKind::Device;
    source.deviceIndex = index;
    source.location = QStringLiteral("/dev/video%1").arg(index);
    return source;
  }
  source.location = text;
  if (text.startsWith(QLatin1String("/dev/"))) {
    source.kind = SourceKind::Device;
    // The index of a node written as the system names it; /dev/video007 or a number past int
    // names no such node.
    static const QRegularExpression number(QStringLiteral("^/dev/video(0|[1-9][0-9]*)$"));
    const auto match = number.match(text);
    bool isNumber = false;
    const int nodeIndex = match.hasMatch() ? match.captured(1).toInt(&isNumber) : -1;
    if (isNumber) source.deviceIndex = nodeIndex;
  } else if (text.contains(QLatin1Char('%'))) {
    source.kind = SourceKind::Sequence;
  } else {
    source.kind = SourceKind::File;
  }
  return source;
}

struct OpenCvCapture::Reader {
  VideoSource source;
  bool step = false;
  std::shared_ptr<const VideoDeviceEnumerator> devices;
  QString node;  // the device node that was opened, links followed
  cv::VideoCapture cap;
  std::atomic<bool> open{false};
  double fps = kDefaultFps;

  mutable std::mutex mutex;
  std::condition_variable wake;  // the thread's waits end early on stop; release waits for done
  bool stop = false;
  bool done = false;  // the capture thread has ended
  QImage latest;
  FrameSlot::Arrival latestArrival;  // none in step mode
  std::function<void()> newFrame;
  std::uint64_t latestSerial = 0;
  std::uint64_t takenSerial = 0;
  bool ended = false;
  bool available = false;  // open and giving frames; a live source that stopped is looked for again
  std::optional<SourceFailure> openFailure;
  int requestedWidth = 0;
  int requestedHeight = 0;
  bool formatPending = false;
  // A source of JPEG frames is read encoded and decoded here, at a reduced size where it allows;
  // otherwise the video library decodes.
  bool jpegEncoded = false;
  JpegFrameDecoder jpeg;
  QString modeReport;  // the mode a camera was asked for at its last open, until traced

  bool openSource();
  void readJpegEncoded();
  bool readFrame(QImage& out, Clock::time_point* readAt = nullptr);
  void applyRequestedFormat();
  // The mode chosen among those the opened node lists; nothing when it lists none.
  std::optional<CameraMode> listedMode(QSize least) const;
  QString grantedMode();  // the format, size and rate the camera runs at, as cameraModeText
  bool waitFor(Clock::time_point until);  // false when asked to stop
  void run();
  QString describe() const;  // with mutex held
};

bool OpenCvCapture::Reader::openSource() {
  std::optional<SourceFailure> failure;
  const auto fail = [&failure](SourceError kind, const QString& text) { failure = SourceFailure{kind, text}; };
  double rate = 0;
  const std::string location = source.location.toStdString();
  try {
    cap.release();
    switch (source.kind) {
      case SourceKind::Device: {
        if (source.firstDevice) {
          const QString found = firstVideoDevice();
          {
            std::lock_guard lock(mutex);
            source.location = found;
          }
          if (found.isEmpty()) {
            fail(SourceError::NoDevice, QStringLiteral("no video device"));
            break;
          }
          node = QFileInfo(found).canonicalFilePath();
          cap.open(found.toStdString(), cv::CAP_V4L2);
        } else if (source.deviceIndex >= 0 && source.location == QStringLiteral("/dev/video%1").arg(source.deviceIndex)) {
          if (!QFileInfo::exists(source.location)) {
            fail(SourceError::NoDevice, QStringLiteral("no such device"));
            break;
          }
          node = QFileInfo(source.location).canonicalFilePath();
          cap.open(source.deviceIndex, cv::CAP_V4L2);
        } else {
          // A stable link (/dev/v4l/by-id/..., by-path/...) is followed afresh at every open, so
          // the camera is found again after it moved to another USB port.
          node = QFileInfo(source.location).canonicalFilePath();
          if (node.isEmpty()) {
            fail(SourceError::NoDevice, QStringLiteral("no such device"));
            break;
          }
          cap.open(node.toStdString(), cv::CAP_V4L2);
        }
        break;
      }
      case SourceKind::File:
        if (!QFileInfo(source.location).isFile()) {
          fail(SourceError::NoFile, QStringLiteral("no such file"));
          break;
        }
        if (!cap.open(location, cv::CAP_FFMPEG)) cap.open(location, cv::CAP_ANY);
        break;
      case SourceKind::Sequence:
        cap.open(location, cv::CAP_IMAGES);
        break;
      case SourceKind::Pipeline:
        cap.open(location, cv::CAP_GSTREAMER);
        break;
    }
    if (!failure && cap.isOpened()) {
      rate = cap.get(cv::CAP_PROP_FPS);
      readJpegEncoded();
    }
    else if (!failure) fail(SourceError::NotOpened, QStringLiteral("cannot be opened"));
  } catch (const std::exception& exception) {
    fail(SourceError::LibraryFailed, failureText(exception));
  } catch (...) {
    fail(SourceError::LibraryFailed, QStringLiteral("the video library failed"));
  }
  const bool opened = !failure;
  if (opened) {
    fps = (std::isfinite(rate) && rate > 0 && rate <= 1000) ? rate : kDefaultFps;
    std::lock_guard lock(mutex);
    if (source.kind == SourceKind::Device && requestedWidth > 0 && requestedHeight > 0) formatPending = true;
    openFailure.reset();
    available = true;
  } else {
    std::lock_guard lock(mutex);
    failure->text = describe() + QStringLiteral(": ") + failure->text;
    openFailure = failure;
    available = false;
  }
  open = opened;
  return opened;
}

void OpenCvCapture::Reader::readJpegEncoded() {
  jpegEncoded = false;
  if (source.kind != SourceKind::File && source.kind != SourceKind::Device) return;
  try {
    if (!isMotionJpeg(cap.get(cv::CAP_PROP_FOURCC))) return;
    // The file backend hands out the stream's packets, the camera backend its buffers, undecoded.
    const bool encoded = source.kind == SourceKind::File ? cap.set(cv::CAP_PROP_FORMAT, -1)
                                                         : cap.set(cv::CAP_PROP_CONVERT_RGB, 0);
    jpegEncoded = encoded;
  } catch (...) {
    // The library decodes, as for any other source.
  }
}

bool OpenCvCapture::Reader::readFrame(QImage& out, Clock::time_point* readAt) {
  try {
    cv::Mat decoded;
    if (!cap.read(decoded) || decoded.empty()) return false;
    if (readAt) *readAt = Clock::now();
    if (jpegEncoded && decoded.rows == 1 && decoded.type() == CV_8UC1)
      out = jpeg.decode(decoded.ptr(), decoded.total());
    else
      out = toFrame(decoded);
    return !out.isNull();
  } catch (...) {
    return false;
  }
}

void OpenCvCapture::Reader::applyRequestedFormat() {
  int width = 0, height = 0;
  {
    std::lock_guard lock(mutex);
    if (!formatPending) return;
    formatPending = false;
    width = requestedWidth;
    height = requestedHeight;
  }
  // A camera that refuses any of these keeps its own; frames are scaled either way.
  const auto ask = [this](int property, double value) {
    try {
      cap.set(property, value);
    } catch (...) {
    }
  };
  QString report;
  if (const std::optional<CameraMode> mode = listedMode(QSize(width, height))) {
    // The rate last: a new format or size restarts the stream, and drivers reset the rate with it.
    ask(cv::CAP_PROP_FOURCC, std::int32_t(mode->fourcc));  // the library takes the code as an int
    ask(cv::CAP_PROP_FRAME_WIDTH, mode->size.width());
    ask(cv::CAP_PROP_FRAME_HEIGHT, mode->size.height());
    ask(cv::CAP_PROP_FPS, mode->fps);
    report = cameraModeText(*mode);
  } else {
    // Uncompressed at the requested size, and the driver's nearest to a rate no camera reaches.
    ask(cv::CAP_PROP_FOURCC, cv::VideoWriter::fourcc('Y', 'U', 'Y', 'V'));
    ask(cv::CAP_PROP_FRAME_WIDTH, width);
    ask(cv::CAP_PROP_FRAME_HEIGHT, height);
    ask(cv::CAP_PROP_FPS, 240);
    report = grantedMode() + QStringLiteral(" unlisted");
  }
  readJpegEncoded();
  std::lock_guard lock(mutex);
  modeReport = report;
}

std::optional<CameraMode> OpenCvCapture::Reader::listedMode(QSize least) const {
  if (!devices) return std::nullopt;
  for (const VideoDevice& device : devices->captureDevices())
    if (QFileInfo(device.path).canonicalFilePath() == node) return chooseCameraMode(device.modes, least);
  return std::nullopt;
}

QString OpenCvCapture::Reader::grantedMode() {
  try {
    const CameraMode mode{std::uint32_t(std::int64_t(cap.get(cv::CAP_PROP_FOURCC))),
                          QSize(int(cap.get(cv::CAP_PROP_FRAME_WIDTH)), int(cap.get(cv::CAP_PROP_FRAME_HEIGHT))),
                          cap.get(cv::CAP_PROP_FPS)};
    return cameraModeText(mode);
  } catch (...) {
    return QStringLiteral("?");
  }
}

bool OpenCvCapture::Reader::waitFor(Clock::time_point until) {
  std::unique_lock lock(mutex);
  return !wake.wait_until(lock, until, [this] { return stop; });
}

void OpenCvCapture::Reader::run() {
  const bool live = isLive(source.kind);
  auto lastAttempt = Clock::now();
  auto start = Clock::now();
  std::uint64_t played = 0;
  for (;;) {
    {
      std::lock_guard lock(mutex);
      if (stop) return;
    }
    if (!open) {
      // A camera that went away is looked for again, at most once a second.
      if (!waitFor(lastAttempt + kReopenInterval)) return;
      lastAttempt = Clock::now();
      if (openSource()) {
        start = Clock::now();
        played = 0;
      }
      continue;
    }
    applyRequestedFormat();

    QImage frame;
    Clock::time_point readAt;
    if (!readFrame(frame, &readAt)) {
      if (live) {
        try {
          cap.release();
        } catch (...) {
        }
        open = false;
        {
          std::lock_guard lock(mutex);
          available = false;
        }
        lastAttempt = Clock::now();
        continue;
      }
      std::lock_guard lock(mutex);
      ended = true;
      return;
    }
    if (!live) {
      // Files and sequences play at their own rate; a reader that fell far behind starts over
      // from now rather than rushing through the backlog.
      const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                   std::chrono::duration<double>(double(played) / fps));
      const auto now = Clock::now();
      if (now > due + std::chrono::seconds(1)) {
        start = now - std::chrono::duration_cast<Clock::duration>(
                          std::chrono::duration<double>(double(played) / fps));
      } else if (!waitFor(due)) {
        return;
      }
      ++played;
      readAt = Clock::now();
    }
    // Only the newest frame waits. Who listens hears of the first frame after a grab; the pass
    // it starts takes whichever frame is newest by then.
    // Told under the lock, so that once onNewFrame has replaced the listener the old one is
    // never called again.
    std::lock_guard lock(mutex);
    latest = std::move(frame);
    latestArrival = readAt;
    if (++latestSerial == takenSerial + 1 && newFrame) newFrame();
  }
}

QString OpenCvCapture::Reader::describe() const {
  QString text;
  switch (source.kind) {
    case SourceKind::Device:
      text = source.location.isEmpty() ? QStringLiteral("camera (none found)")
                                       : QStringLiteral("camera ") + source.location;
      break;
    case SourceKind::File: text = QStringLiteral("video file ") + source.location; break;
    case SourceKind::Sequence: text = QStringLiteral("image sequence ") + source.location; break;
    case SourceKind::Pipeline: text = QStringLiteral("pipeline ") + source.location; break;
  }
  if (step) text += QStringLiteral(" (step)");
  return text;
}

OpenCvCapture::OpenCvCapture(const VideoSource& source, bool step,
                             std::shared_ptr<const VideoDeviceEnumerator> devices)
    : reader_(std::make_shared<Reader>()), step_(step && source.kind != SourceKind::Device) {
  // The video library's own console lines would repeat at every attempt to find a camera again;
  // the component says once that the source is gone and once that it is back.
  cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
  Reader& reader = *reader_;
  reader.source = source;
  reader.step = step_;
  reader.devices = std::move(devices);
  const bool opened = reader.openSource();
  // A source that fails at the start is reported by whoever made the component.
  reportedAvailable_ = opened;
  if (step_) {
    aheadValid_ = opened && reader.readFrame(ahead_);
    reader.ended = !aheadValid_;
    return;
  }
  if (!opened && !isLive(source.kind)) {
    reader.ended = true;  // a file that cannot be read has nothing to hand out
    return;
  }
  thread_ = std::thread([reader = reader_] {
    reader->run();
    {
      std::lock_guard lock(reader->mutex);
      reader->done = true;
    }
    reader->wake.notify_all();
  });
}

OpenCvCapture::~OpenCvCapture() { release(); }

void OpenCvCapture::release() {
  Reader& reader = *reader_;
  {
    std::lock_guard lock(reader.mutex);
    // Released once: a second call (the destructor's) must not touch a device that a thread
    // left behind may still be reading.
    if (released_) return;
    reader.stop = true;
    released_ = true;
  }
  reader.wake.notify_all();
  if (thread_.joinable()) {
    std::unique_lock lock(reader.mutex);
    const bool stopped = reader.wake.wait_for(lock, kStopWait, [&reader] { return reader.done; });
    const QString source = reader.describe();
    lock.unlock();
    if (!stopped) {
      thread_.detach();
      trace("error", source + QStringLiteral(": the capture thread is stuck in a read and is left behind"));
      return;
    }
    thread_.join();
  }
  try {
    reader.cap.release();
  } catch (...) {
  }
  reader.open = false;
}

Grab OpenCvCapture::grabToSlot(FrameSlot& slot) {
  Reader& reader = *reader_;
  std::lock_guard lock(reader.mutex);
  if (released_) return Grab::Nothing;
  if (reader.available != reportedAvailable_) {
    reportedAvailable_ = reader.available;
    const QString what = reader.describe();
    if (reader.available) {
      std::fprintf(stderr, "vornix: video source: %s is back\n", qPrintable(what));
      trace("source", QStringLiteral("back ") + what);
    } else {
      std::fprintf(stderr, "vornix: video source: %s is gone; looking for it again every second\n", qPrintable(what));
      trace("source", QStringLiteral("gone ") + what);
    }
  }
  if (!reader.modeReport.isEmpty()) trace("camera-mode", std::exchange(reader.modeReport, QString()));
  if (step_ && aheadValid_) {
    reader.latest = ahead_;
    reader.latestArrival.reset();
    ++reader.latestSerial;
    aheadValid_ = reader.readFrame(ahead_);
    if (!aheadValid_) reader.ended = true;
  }
  if (reader.latest.isNull()) return Grab::Nothing;
  const bool isNew = reader.takenSerial != reader.latestSerial;
  slot.put(reader.latest, reader.latestArrival);
  reader.takenSerial = reader.latestSerial;
  return isNew ? Grab::New : Grab::Repeated;
}

void OpenCvCapture::onNewFrame(std::function<void()> notify) {
  {
    std::lock_guard lock(reader_->mutex);
    reader_->newFrame = notify;
  }
  if (notify && frameWaiting()) notify();
}

bool OpenCvCapture::frameWaiting() const {
  std::lock_guard lock(reader_->mutex);
  if (released_) return false;
  if (step_) return aheadValid_;
  return !reader_->latest.isNull() && reader_->takenSerial != reader_->latestSerial;
}

void OpenCvCapture::requestFormat(int width, int height, int subtype) {
  CaptureComponent::requestFormat(width, height, subtype);
  Reader& reader = *reader_;
  std::lock_guard lock(reader.mutex);
  reader.requestedWidth = width;
  reader.requestedHeight = height;
  reader.formatPending = reader.source.kind == SourceKind::Device && width > 0 && height > 0;
}

int OpenCvCapture::videoWidth() const { return kFrameWidth; }
int OpenCvCapture::videoHeight() const { return kFrameHeight; }

std::int16_t OpenCvCapture::channelNumber(bool) const {
  if (!reader_->open) return -1;
  return std::int16_t(std::clamp(reader_->source.deviceIndex, 0, 32767));
}

bool OpenCvCapture::finished() const {
  std::lock_guard lock(reader_->mutex);
  return reader_->ended && reader_->takenSerial == reader_->latestSerial;
}

QString OpenCvCapture::description() const {
  std::lock_guard lock(reader_->mutex);
  return reader_->describe();
}

bool OpenCvCapture::isOpen() const { return reader_->open; }

std::optional<SourceFailure> OpenCvCapture::openFailure() const {
  std::lock_guard lock(reader_->mutex);
  return reader_->openFailure;
}

}  // namespace vornix::capture
