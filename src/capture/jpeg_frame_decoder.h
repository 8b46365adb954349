#pragma once
// Decodes JPEG frames (a camera's MJPEG buffers, an MJPEG file's packets) straight into the
// capture's picture: at the smallest scale the codec offers that still covers the frame size,
// and straight into the frame's byte layout, so neither a full-size picture nor a colour
// conversion is made.

#include <QImage>

#include <cstddef>
#include <vector>

namespace vornix::capture {

class JpegFrameDecoder {
public:
  JpegFrameDecoder();
  ~JpegFrameDecoder();
  JpegFrameDecoder(const JpegFrameDecoder&) = delete;
  JpegFrameDecoder& operator=(const JpegFrameDecoder&) = delete;

  // The frame-sized RGB32 picture; a null image when the data is no JPEG the codec can read.
  QImage decode(const unsigned char* data, std::size_t size);

private:
  void* handle_;
  std::vector<unsigned char> scaled_;  // the reduced picture before its final scaling, reused
};

}  // namespace vornix::capture
