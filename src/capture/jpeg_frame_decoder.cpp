#include "capture/jpeg_frame_decoder.h"

#include "base/frame.h"

#include <opencv2/imgproc.hpp>
#include <turbojpeg.h>

namespace vornix::capture {

namespace {

// The smallest of the codec's 1/N scaling factors whose picture still covers the frame; the full
// size when even that does not. (Its other factors, such as 3/8, decode more slowly than 1/2.)
tjscalingfactor coveringScale(int width, int height) {
  int count = 0;
  const tjscalingfactor* factors = tjGetScalingFactors(&count);
  tjscalingfactor best{1, 1};
  for (int i = 0; i < count; ++i) {
    const tjscalingfactor factor = factors[i];
    if (factor.num != 1) continue;
    const int scaledWidth = TJSCALED(width, factor), scaledHeight = TJSCALED(height, factor);
    if (scaledWidth < kFrameWidth || scaledHeight < kFrameHeight) continue;
    if (scaledWidth * scaledHeight < TJSCALED(width, best) * TJSCALED(height, best)) best = factor;
  }
  return best;
}

}  // namespace

JpegFrameDecoder::JpegFrameDecoder() : handle_(tjInitDecompress()) {}

JpegFrameDecoder::~JpegFrameDecoder() {
  if (handle_) tjDestroy(handle_);
}

QImage JpegFrameDecoder::decode(const unsigned char* data, std::size_t size) {
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  if (!handle_ || tjDecompressHeader3(handle_, data, static_cast<unsigned long>(size), &width, &height, &subsampling,
                                      &colourspace) != 0 || width <= 0 || height <= 0)
    return {};
  const tjscalingfactor scale = coveringScale(width, height);
  const int scaledWidth = TJSCALED(width, scale), scaledHeight = TJSCALED(height, scale);

  // RGB32 is B, G, R, 0xFF in memory: the codec's BGRA with its alpha set opaque.
  QImage frame(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
  const bool exact = scaledWidth == kFrameWidth && scaledHeight == kFrameHeight;
  if (!exact) scaled_.resize(std::size_t(scaledWidth) * scaledHeight * 4);
  unsigned char* target = exact ? frame.bits() : scaled_.data();
  const int pitch = exact ? int(frame.bytesPerLine()) : scaledWidth * 4;
  // A corrupt tail still leaves a usable picture (a warning); only an unreadable one fails.
  if (tjDecompress2(handle_, data, static_cast<unsigned long>(size), target, scaledWidth, pitch, scaledHeight,
                    TJPF_BGRA, 0) != 0 && tjGetErrorCode(handle_) != TJERR_WARNING)
    return {};
  if (exact) return frame;

  const cv::Mat reduced(scaledHeight, scaledWidth, CV_8UC4, scaled_.data());
  cv::Mat out(kFrameHeight, kFrameWidth, CV_8UC4, frame.bits(), std::size_t(frame.bytesPerLine()));
  // Up to half the size, bilinear weights still take in every sample (at exactly half they are
  // the area average) and cost far less than the general area average.
  const bool halfOrMore = scaledWidth <= 2 * kFrameWidth && scaledHeight <= 2 * kFrameHeight;
  cv::resize(reduced, out, out.size(), 0, 0, halfOrMore ? cv::INTER_LINEAR : cv::INTER_AREA);
  return frame;
}

}  // namespace vornix::capture
