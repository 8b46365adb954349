#include "capture/opencv_capture.h"

#include "base/frame.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <algorithm>
#include <cmath>

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

bool isLive(SourceKind kind) { return kind == SourceKind::Device || kind == SourceKind::Pipeline; }

}  // namespace

struct OpenCvCapture::Device {
  cv::VideoCapture cap;
};

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

OpenCvCapture::OpenCvCapture(const VideoSource& source, bool step)
    : source_(source), step_(step && source.kind != SourceKind::Device), device_(std::make_unique<Device>()) {
  const bool opened = openSource();
  if (step_) {
    aheadValid_ = opened && readFrame(ahead_);
    ended_ = !aheadValid_;
    return;
  }
  if (!opened && !isLive(source_.kind)) {
    ended_ = true;  // a file that cannot be read has nothing to hand out
    return;
  }
  thread_ = std::thread([this] { run(); });
}

OpenCvCapture::~OpenCvCapture() { release(); }

bool OpenCvCapture::openSource() {
  cv::VideoCapture& cap = device_->cap;
  cap.release();
  QString error;
  const std::string location = source_.location.toStdString();
  switch (source_.kind) {
    case SourceKind::Device: {
      if (source_.firstDevice) {
        const QString found = firstVideoDevice();
        {
          std::lock_guard lock(mutex_);
          source_.location = found;
        }
        if (found.isEmpty()) {
          error = QStringLiteral("no video device");
          break;
        }
        cap.open(found.toStdString(), cv::CAP_V4L2);
      } else if (source_.deviceIndex >= 0 && source_.location == QStringLiteral("/dev/video%1").arg(source_.deviceIndex)) {
        cap.open(source_.deviceIndex, cv::CAP_V4L2);
      } else {
        // A stable link (/dev/v4l/by-id/..., by-path/...) is followed afresh at every open, so
        // the camera is found again after it moved to another USB port.
        const QString node = QFileInfo(source_.location).canonicalFilePath();
        if (node.isEmpty()) {
          error = QStringLiteral("no such device");
          break;
        }
        cap.open(node.toStdString(), cv::CAP_V4L2);
      }
      break;
    }
    case SourceKind::File:
      if (!QFileInfo(source_.location).isFile()) {
        error = QStringLiteral("no such file");
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
  const bool opened = error.isEmpty() && cap.isOpened();
  if (opened) {
    const double fps = cap.get(cv::CAP_PROP_FPS);
    fps_ = (std::isfinite(fps) && fps > 0 && fps <= 1000) ? fps : kDefaultFps;
    std::lock_guard lock(mutex_);
    if (source_.kind == SourceKind::Device && requestedWidth_ > 0 && requestedHeight_ > 0) formatPending_ = true;
    openError_.clear();
  } else {
    if (error.isEmpty()) error = QStringLiteral("cannot be opened");
    std::lock_guard lock(mutex_);
    openError_ = describe() + QStringLiteral(": ") + error;
  }
  open_ = opened;
  return opened;
}

bool OpenCvCapture::readFrame(QImage& out) {
  cv::Mat decoded;
  if (!device_->cap.read(decoded) || decoded.empty()) return false;
  out = toFrame(decoded);
  return !out.isNull();
}

bool OpenCvCapture::waitFor(Clock::time_point until) {
  std::unique_lock lock(mutex_);
  return !wake_.wait_until(lock, until, [this] { return stop_; });
}

void OpenCvCapture::run() {
  const bool live = isLive(source_.kind);
  auto lastAttempt = Clock::now();
  auto start = Clock::now();
  std::uint64_t played = 0;
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stop_) return;
    }
    if (!open_) {
      // A camera that went away is looked for again, at most once a second.
      if (!waitFor(lastAttempt + kReopenInterval)) return;
      lastAttempt = Clock::now();
      if (openSource()) {
        start = Clock::now();
        played = 0;
      }
      continue;
    }
    bool applyFormat = false;
    int width = 0, height = 0;
    {
      std::lock_guard lock(mutex_);
      std::swap(applyFormat, formatPending_);
      width = requestedWidth_;
      height = requestedHeight_;
    }
    if (applyFormat) {
      device_->cap.set(cv::CAP_PROP_FRAME_WIDTH, width);
      device_->cap.set(cv::CAP_PROP_FRAME_HEIGHT, height);
    }

    QImage frame;
    if (!readFrame(frame)) {
      if (live) {
        device_->cap.release();
        open_ = false;
        lastAttempt = Clock::now();
        continue;
      }
      std::lock_guard lock(mutex_);
      ended_ = true;
      return;
    }
    if (!live) {
      // Files and sequences play at their own rate; a reader that fell far behind starts over
      // from now rather than rushing through the backlog.
      const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                   std::chrono::duration<double>(double(played) / fps_));
      const auto now = Clock::now();
      if (now > due + std::chrono::seconds(1)) {
        start = now - std::chrono::duration_cast<Clock::duration>(
                          std::chrono::duration<double>(double(played) / fps_));
      } else if (!waitFor(due)) {
        return;
      }
      ++played;
    }
    std::lock_guard lock(mutex_);
    latest_ = std::move(frame);
    ++latestSerial_;
  }
}

void OpenCvCapture::release() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    released_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  device_->cap.release();
  open_ = false;
}

bool OpenCvCapture::grabToSlot(FrameSlot& slot) {
  std::lock_guard lock(mutex_);
  if (released_) return false;
  if (step_ && aheadValid_) {
    latest_ = ahead_;
    ++latestSerial_;
    aheadValid_ = readFrame(ahead_);
    if (!aheadValid_) ended_ = true;
  }
  if (latest_.isNull()) return false;
  slot.put(latest_);
  takenSerial_ = latestSerial_;
  return true;
}

void OpenCvCapture::requestFormat(int width, int height, int subtype) {
  CaptureComponent::requestFormat(width, height, subtype);
  std::lock_guard lock(mutex_);
  requestedWidth_ = width;
  requestedHeight_ = height;
  formatPending_ = source_.kind == SourceKind::Device && width > 0 && height > 0;
}

int OpenCvCapture::videoWidth() const { return kFrameWidth; }
int OpenCvCapture::videoHeight() const { return kFrameHeight; }

std::int16_t OpenCvCapture::channelNumber(bool) const {
  if (!open_) return -1;
  return std::int16_t(std::clamp(source_.deviceIndex, 0, 32767));
}

bool OpenCvCapture::finished() const {
  std::lock_guard lock(mutex_);
  return ended_ && takenSerial_ == latestSerial_;
}

QString OpenCvCapture::description() const {
  std::lock_guard lock(mutex_);
  return describe();
}

QString OpenCvCapture::describe() const {
  QString text;
  switch (source_.kind) {
    case SourceKind::Device:
      text = source_.location.isEmpty() ? QStringLiteral("camera (none found)")
                                        : QStringLiteral("camera ") + source_.location;
      break;
    case SourceKind::File: text = QStringLiteral("video file ") + source_.location; break;
    case SourceKind::Sequence: text = QStringLiteral("image sequence ") + source_.location; break;
    case SourceKind::Pipeline: text = QStringLiteral("pipeline ") + source_.location; break;
  }
  if (step_) text += QStringLiteral(" (step)");
  return text;
}

QString OpenCvCapture::openError() const {
  std::lock_guard lock(mutex_);
  return openError_;
}

}  // namespace vornix::capture
