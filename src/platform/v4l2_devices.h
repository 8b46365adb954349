#pragma once
// The video capture devices under /dev, asked through the V4L2 ioctls (VIDIOC_QUERYCAP,
// VIDIOC_ENUM_FMT, VIDIOC_ENUM_FRAMESIZES, VIDIOC_ENUM_FRAMEINTERVALS), with their stable links
// under /dev/v4l.

#include "capture/video_devices.h"

namespace vornix::platform {

class V4l2Devices final : public capture::VideoDeviceEnumerator {
public:
  std::vector<capture::VideoDevice> captureDevices() const override;
};

}  // namespace vornix::platform
