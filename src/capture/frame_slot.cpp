#include "capture/frame_slot.h"

#include "base/frame.h"

namespace vornix::capture {

void FrameSlot::put(const QImage& image, Arrival arrived) {
  arrived_ = arrived;
  if (image.isNull() || image.size() == QSize(kFrameWidth, kFrameHeight)) {
    image_ = toFrameFormat(image);
    return;
  }
  image_ = toFrameFormat(image.scaled(kFrameWidth, kFrameHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

}  // namespace vornix::capture
