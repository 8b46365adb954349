#pragma once
// The video capture devices of the machine, as `vornix --list-sources` shows them so that an
// installer can choose the camera to give to --source. The enumerator that asks the kernel
// lives in the platform layer.

#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace vornix::capture {

struct PixelFormat {
  std::uint32_t fourcc = 0;  // V4L2 pixel format code ('Y' | 'U' << 8 | 'Y' << 16 | 'V' << 24)
  // The discrete frame sizes offered, or the smallest and the largest size of a range.
  std::vector<QSize> sizes;
  bool sizeRange = false;  // any size between sizes[0] and sizes[1] (stepwise or continuous)
};

// A pixel format, frame size and frame rate a device can be asked for together.
struct CameraMode {
  std::uint32_t fourcc = 0;
  QSize size;
  double fps = 0;  // the highest rate offered at that format and size
  bool operator==(const CameraMode&) const = default;
};

struct VideoDevice {
  QString path;         // /dev/videoN
  QString openError;    // why the device could not be queried; empty when it was
  QString card;         // VIDIOC_QUERYCAP card name
  QString bus;          // VIDIOC_QUERYCAP bus info
  std::vector<PixelFormat> formats;
  // Each listed size with a known frame rate; of a size range only its smallest size that holds
  // 320 x 240 (its largest when none does).
  std::vector<CameraMode> modes;
  QStringList stablePaths;  // the /dev/v4l/by-id and by-path links to the device
};

class VideoDeviceEnumerator {
public:
  virtual ~VideoDeviceEnumerator() = default;
  // The video capture devices (metadata and output nodes left out), by node number.
  virtual std::vector<VideoDevice> captureDevices() const = 0;
};

// The four characters of a pixel format code ("YUYV", "MJPG"; "-BE" added for big-endian codes).
QString fourccText(std::uint32_t fourcc);

// One line per device: its path, card, bus, formats with their frame sizes (and the highest
// frame rate at each, where known) and stable paths;
// a single line saying so when there is none.
QStringList sourceListing(const VideoDeviceEnumerator& enumerator);

}  // namespace vornix::capture
