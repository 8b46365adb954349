#pragma once
// Hands the grabbed frame from the capture component to the detection pass, where the capture
// card put it on the clipboard. It lives in the process: the desktop clipboard is never touched.
// Used on the user-interface thread only.

#include <QImage>

#include <chrono>
#include <optional>

namespace vornix::capture {

class FrameSlot {
public:
  // The picture is taken as a camera frame: 320 x 240 RGB32, a picture of another size
  // scaled to it.
  // arrived: when the frame reached the capture component, where the source knows it.
  using Arrival = std::optional<std::chrono::steady_clock::time_point>;
  void put(const QImage& image, Arrival arrived = std::nullopt);
  // The picture put last, or nothing when the slot is empty.
  std::optional<QImage> get() const { return image_; }
  Arrival arrived() const { return arrived_; }
  void clear() {
    image_.reset();
    arrived_.reset();
  }
  bool empty() const { return !image_.has_value(); }

private:
  std::optional<QImage> image_;
  Arrival arrived_;
};

}  // namespace vornix::capture
