#pragma once
// Frames of the camera as the detector sees them: 320 x 240 RGB32 images, read through a
// non-owning view. Colour values are returned as the pixel read of the panes returns them,
// 0x00BBGGRR, and -1 for a read outside the picture.

#include <QImage>

#include <cstdint>

namespace vornix {

inline constexpr int kFrameWidth = 320;
inline constexpr int kFrameHeight = 240;

// A blank frame of the capture size in the format every pane holds.
inline QImage blankFrame() {
  QImage image(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
  image.fill(Qt::black);
  return image;
}

class FrameView {
public:
  FrameView() = default;
  // The image must be Format_RGB32 or Format_ARGB32 (see toFrameFormat) and outlive the view.
  explicit FrameView(const QImage& image)
      : bits_(image.constBits()), width_(image.width()), height_(image.height()),
        bytesPerLine_(image.bytesPerLine()) {}

  int width() const { return width_; }
  int height() const { return height_; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // Red component at (x, y), or -1 outside the picture.
  int red(int x, int y) const {
    if (!contains(x, y)) return -1;
    return pixelRow(y)[x * 4 + 2];
  }
  // Colour value 0x00BBGGRR at (x, y), or -1 outside the picture.
  std::int64_t colourValue(int x, int y) const {
    if (!contains(x, y)) return -1;
    const uchar* p = pixelRow(y) + x * 4;  // B, G, R, A in memory (little-endian RGB32)
    return std::int64_t(p[2]) | (std::int64_t(p[1]) << 8) | (std::int64_t(p[0]) << 16);
  }

  // The pixels of row y (0 <= y < height), 4 bytes each: B, G, R, A.
  const uchar* pixelRow(int y) const { return bits_ + qsizetype(y) * bytesPerLine_; }

private:
  const uchar* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  qsizetype bytesPerLine_ = 0;
};

// Brings any image into the 32-bit layout that FrameView reads.
inline QImage toFrameFormat(const QImage& image) {
  if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32) return image;
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace vornix
