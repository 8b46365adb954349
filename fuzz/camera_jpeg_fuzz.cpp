// A camera's or a file's JPEG frame, whatever its bytes: the decoder gives either no picture or
// a whole frame-sized one, and never reads or writes outside its buffers.

#include "capture/jpeg_frame_decoder.h"
#include "base/frame.h"
#include "fuzz_support.h"

using namespace vornix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static capture::JpegFrameDecoder decoder;
  const QImage frame = decoder.decode(data, size);
  fuzz::expect(frame.isNull() || (frame.size() == QSize(kFrameWidth, kFrameHeight) &&
                                   frame.format() == QImage::Format_RGB32),
               "a decoded frame has the capture's size and layout");
  return 0;
}
