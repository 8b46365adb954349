#pragma once
// Hands the grabbed frame from the capture component to the detection pass, where the capture
// card put it on the clipboard. It lives in the process: the desktop clipboard is never touched.
// Used on the user-interface thread only.

#include <QImage>

#include <optional>

namespace vornix::capture {

class FrameSlot {
public:
  // The picture is taken as a camera frame: 320 x 240 RGB32, a picture of another size
  // scaled to it.
  void put(const QImage& image);
  // The picture put last, or nothing when the slot is empty.
  std::optional<QImage> get() const { return image_; }
  void clear() { image_.reset(); }
  bool empty() const { return !image_.has_value(); }

private:
  std::optional<QImage> image_;
};

}  // namespace vornix::capture
