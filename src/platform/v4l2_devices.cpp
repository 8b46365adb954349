#include "platform/v4l2_devices.h"

#include "base/frame.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vornix::platform {

namespace {

int query(int fd, unsigned long request, void* argument) {
  int result;
  do result = ::ioctl(fd, request, argument);
  while (result < 0 && errno == EINTR);
  return result;
}

template <std::size_t N>
QString fixedText(const __u8 (&bytes)[N]) {
  const char* text = reinterpret_cast<const char*>(bytes);
  return QString::fromUtf8(text, qsizetype(strnlen(text, N)));
}

// The highest frame rate the device offers at this format and size; 0 when it tells none. Of a
// stepwise or continuous range of intervals, its shortest.
double highestRate(int fd, std::uint32_t fourcc, QSize size) {
  v4l2_frmivalenum interval{};
  interval.pixel_format = fourcc;
  interval.width = __u32(size.width());
  interval.height = __u32(size.height());
  double highest = 0;
  for (interval.index = 0; query(fd, VIDIOC_ENUM_FRAMEINTERVALS, &interval) == 0; ++interval.index) {
    const bool discrete = interval.type == V4L2_FRMIVAL_TYPE_DISCRETE;
    const v4l2_fract shortest = discrete ? interval.discrete : interval.stepwise.min;
    if (shortest.numerator > 0 && shortest.denominator > 0)
      highest = std::max(highest, double(shortest.denominator) / shortest.numerator);
    if (!discrete) break;
  }
  return highest;
}

// The smallest size of the range that holds the capture picture, or the range's largest when
// none does.
QSize sizeToAsk(const v4l2_frmsize_stepwise& range) {
  const auto fit = [](__u32 least, __u32 most, __u32 step, __u32 wanted) {
    if (wanted <= least) return least;
    if (wanted >= most) return most;
    step = std::max<__u32>(step, 1);
    return std::min(most, least + (wanted - least + step - 1) / step * step);
  };
  return {int(fit(range.min_width, range.max_width, range.step_width, __u32(kFrameWidth))),
          int(fit(range.min_height, range.max_height, range.step_height, __u32(kFrameHeight)))};
}

// The format's sizes (a range as its smallest and largest size) and its modes with a known rate.
std::vector<QSize> frameSizes(int fd, std::uint32_t fourcc, bool& range, std::vector<capture::CameraMode>& modes) {
  std::vector<QSize> sizes;
  range = false;
  const auto addMode = [&](QSize size) {
    if (const double fps = highestRate(fd, fourcc, size); fps > 0) modes.push_back({fourcc, size, fps});
  };
  v4l2_frmsizeenum size{};
  size.pixel_format = fourcc;
  for (size.index = 0; query(fd, VIDIOC_ENUM_FRAMESIZES, &size) == 0; ++size.index) {
    if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
      sizes.emplace_back(int(size.discrete.width), int(size.discrete.height));
      addMode(sizes.back());
      continue;
    }
    range = true;
    addMode(sizeToAsk(size.stepwise));
    return {QSize(int(size.stepwise.min_width), int(size.stepwise.min_height)),
            QSize(int(size.stepwise.max_width), int(size.stepwise.max_height))};
  }
  return sizes;
}

std::vector<capture::PixelFormat> pixelFormats(int fd, std::uint32_t bufferType,
                                               std::vector<capture::CameraMode>& modes) {
  std::vector<capture::PixelFormat> formats;
  v4l2_fmtdesc description{};
  description.type = bufferType;
  for (description.index = 0; query(fd, VIDIOC_ENUM_FMT, &description) == 0; ++description.index) {
    capture::PixelFormat format;
    format.fourcc = description.pixelformat;
    format.sizes = frameSizes(fd, description.pixelformat, format.sizeRange, modes);
    formats.push_back(std::move(format));
  }
  return formats;
}

// The links under /dev/v4l/by-id and by-path that lead to the node.
QStringList stablePaths(const QString& node) {
  QStringList paths;
  for (const char* folder : {"/dev/v4l/by-id", "/dev/v4l/by-path"}) {
    const QDir dir(QString::fromLatin1(folder));
    for (const QFileInfo& link : dir.entryInfoList(QDir::System | QDir::Files, QDir::Name))
      if (link.canonicalFilePath() == node) paths << link.absoluteFilePath();
  }
  return paths;
}

// Fills the device from the driver; false when the node is no video capture device.
bool describe(int fd, capture::VideoDevice& device) {
  v4l2_capability capability{};
  if (query(fd, VIDIOC_QUERYCAP, &capability) < 0) return false;
  const std::uint32_t caps = (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps
                                                                               : capability.capabilities;
  std::uint32_t bufferType = 0;
  if (caps & V4L2_CAP_VIDEO_CAPTURE)
    bufferType = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  else if (caps & V4L2_CAP_VIDEO_CAPTURE_MPLANE)
    bufferType = V4L2_BUF_TYPE_VIDEO_CAPTURE_MPLANE;
  else
    return false;
  device.card = fixedText(capability.card);
  device.bus = fixedText(capability.bus_info);
  device.formats = pixelFormats(fd, bufferType, device.modes);
  return true;
}

}  // namespace

std::vector<capture::VideoDevice> V4l2Devices::captureDevices() const {
  const QRegularExpression nodeName(QStringLiteral("^video(\\d+)$"));
  std::vector<std::pair<int, QString>> nodes;
  const QDir dev(QStringLiteral("/dev"));
  for (const QString& name : dev.entryList({QStringLiteral("video*")}, QDir::System | QDir::Files)) {
    const auto match = nodeName.match(name);
    if (match.hasMatch()) nodes.emplace_back(match.captured(1).toInt(), QStringLiteral("/dev/") + name);
  }
  std::sort(nodes.begin(), nodes.end());

  std::vector<capture::VideoDevice> devices;
  for (const auto& [number, path] : nodes) {
    capture::VideoDevice device;
    device.path = path;
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      const int error = errno;
      device.openError = QString::fromLocal8Bit(std::strerror(error));
      if (error == EACCES) device.openError += QStringLiteral(" (members of the video group may open it)");
      devices.push_back(std::move(device));
      continue;
    }
    const bool capture = describe(fd, device);
    ::close(fd);
    if (!capture) continue;
    device.stablePaths = stablePaths(path);
    devices.push_back(std::move(device));
  }
  return devices;
}

}  // namespace vornix::platform
