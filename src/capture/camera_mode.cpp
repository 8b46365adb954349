#include "capture/camera_mode.h"

#include <linux/videodev2.h>

namespace vornix::capture {

namespace {

enum class Encoding { Unreadable, Uncompressed, Compressed };

// The pixel formats that the video library's V4L2 backend reads.
Encoding encoding(std::uint32_t fourcc) {
  switch (fourcc) {
    case V4L2_PIX_FMT_YUYV:
    case V4L2_PIX_FMT_UYVY:
    case V4L2_PIX_FMT_YUV420:
    case V4L2_PIX_FMT_YVU420:
    case V4L2_PIX_FMT_YUV411P:
    case V4L2_PIX_FMT_NV12:
    case V4L2_PIX_FMT_NV21:
    case V4L2_PIX_FMT_SBGGR8:
    case V4L2_PIX_FMT_SGBRG8:
    case V4L2_PIX_FMT_SGRBG8:
    case V4L2_PIX_FMT_RGB24:
    case V4L2_PIX_FMT_BGR24:
    case V4L2_PIX_FMT_XBGR32:
    case V4L2_PIX_FMT_ABGR32:
    case V4L2_PIX_FMT_GREY:
    case V4L2_PIX_FMT_Y10:
    case V4L2_PIX_FMT_Y16:
    case V4L2_PIX_FMT_Y16_BE:
      return Encoding::Uncompressed;
    case V4L2_PIX_FMT_MJPEG:
    case V4L2_PIX_FMT_JPEG:
    case V4L2_PIX_FMT_SN9C10X:
      return Encoding::Compressed;
    default:
      return Encoding::Unreadable;
  }
}

qint64 area(QSize size) { return qint64(size.width()) * size.height(); }

}  // namespace

std::optional<CameraMode> chooseCameraMode(const std::vector<CameraMode>& modes, QSize least) {
  const auto holds = [least](const CameraMode& mode) {
    return mode.size.width() >= least.width() && mode.size.height() >= least.height();
  };
  // Whether a is to be asked for rather than b; on a tie the device's own order stands.
  const auto better = [&holds](const CameraMode& a, const CameraMode& b) {
    if (holds(a) != holds(b)) return holds(a);
    if (holds(a)) {
      if (a.fps != b.fps) return a.fps > b.fps;
      if (area(a.size) != area(b.size)) return area(a.size) < area(b.size);
    } else {
      // Only modes smaller than the picture: the largest, which loses least when scaled up.
      if (area(a.size) != area(b.size)) return area(a.size) > area(b.size);
      if (a.fps != b.fps) return a.fps > b.fps;
    }
    return encoding(a.fourcc) == Encoding::Uncompressed && encoding(b.fourcc) == Encoding::Compressed;
  };
  const CameraMode* best = nullptr;
  for (const CameraMode& mode : modes) {
    if (encoding(mode.fourcc) == Encoding::Unreadable || mode.fps <= 0 || mode.size.isEmpty()) continue;
    if (!best || better(mode, *best)) best = &mode;
  }
  if (!best) return std::nullopt;
  return *best;
}

QString cameraModeText(const CameraMode& mode) {
  return QStringLiteral("%1 %2x%3 %4")
      .arg(fourccText(mode.fourcc))
      .arg(mode.size.width())
      .arg(mode.size.height())
      .arg(QString::number(mode.fps, 'g', 4));
}

}  // namespace vornix::capture
