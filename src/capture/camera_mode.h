#pragma once
// Which of a camera's modes to ask for: the highest frame rate among the modes that give at
// least the picture's size, at the smallest such size, uncompressed where that is offered as
// well, so that frames come often and small and nothing has to be decoded.

#include "capture/video_devices.h"

#include <optional>

namespace vornix::capture {

// The mode to ask for among those the device lists, leaving out the pixel formats the video
// library cannot read; nothing when none is left.
std::optional<CameraMode> chooseCameraMode(const std::vector<CameraMode>& modes, QSize least);

// "YUYV 320x240 30", as the trace says it.
QString cameraModeText(const CameraMode& mode);

}  // namespace vornix::capture
