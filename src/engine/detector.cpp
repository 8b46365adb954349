#include "engine/detector.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vornix::engine {

namespace {

inline int redAt(const uchar* row, int x) {
  std::uint32_t pixel;  // 0xAARRGGBB in a little-endian RGB32 row
  std::memcpy(&pixel, row + std::size_t(x) * 4, sizeof pixel);
  return int((pixel >> 16) & 0xFF);
}

inline int absolute(int d) { return d < 0 ? -d : d; }

// Index of the first of count samples at columns first, first + stride, ... (all inside both
// rows) whose red difference exceeds threshold; count when there is none. Blocks of samples are
// tested without branches so that the compiler can vectorise them; a block with a hit is
// searched again sample by sample. Stride is a template argument for the usual strides 1..4
// (0: the run-time stride).
template <int kStride>
int firstOver(const uchar* current, const uchar* reference, int first, int count, int stride,
              int threshold) {
  const int s = kStride > 0 ? kStride : stride;
  constexpr int kBlock = 32;
  int i = 0;
  for (; i + kBlock <= count; i += kBlock) {
    const int base = first + i * s;
    int over = 0;
    for (int k = 0; k < kBlock; ++k) {
      const int x = base + k * s;
      over |= absolute(redAt(current, x) - redAt(reference, x)) > threshold;
    }
    if (over) break;
  }
  for (; i < count; ++i) {
    const int x = first + i * s;
    if (absolute(redAt(current, x) - redAt(reference, x)) > threshold) return i;
  }
  return count;
}

int firstOverAnyStride(const uchar* current, const uchar* reference, int first, int count,
                       int stride, int threshold) {
  switch (stride) {
    case 1: return firstOver<1>(current, reference, first, count, 1, threshold);
    case 2: return firstOver<2>(current, reference, first, count, 2, threshold);
    case 3: return firstOver<3>(current, reference, first, count, 3, threshold);
    case 4: return firstOver<4>(current, reference, first, count, 4, threshold);
    default: return firstOver<0>(current, reference, first, count, stride, threshold);
  }
}

}  // namespace

std::optional<Touch> scanRow(const FrameView& current, const FrameView& reference, int y, int x0,
                             int x3, int stride, int threshold) {
  if (stride < 1 || x0 > x3) return std::nullopt;
  const auto sampleAt = [&](long long x) {
    const int column = static_cast<int>(x);
    return Touch{column, y, current.red(column, y) - reference.red(column, y)};
  };
  // Outside both frames every sample reads -1 against -1, a difference of 0: with a negative
  // threshold that already counts, so the first sample of the row is the touch.
  if (threshold < 0) return sampleAt(x0);

  const int currentWidth = (y >= 0 && y < current.height()) ? current.width() : 0;
  const int referenceWidth = (y >= 0 && y < reference.height()) ? reference.width() : 0;
  const int widest = std::max(currentWidth, referenceWidth);
  const int narrowest = std::min(currentWidth, referenceWidth);
  // Only columns 0 .. widest - 1 can differ; the grid's first column there:
  const long long firstInside =
      x0 >= 0 ? x0 : x0 + ((-static_cast<long long>(x0) + stride - 1) / stride) * stride;
  const long long lastInside = std::min<long long>(x3, widest - 1);
  if (firstInside > lastInside) return std::nullopt;

  long long x = firstInside;
  // Columns inside both frames: straight over the two rows.
  const long long lastInBoth = std::min<long long>(x3, narrowest - 1);
  if (x <= lastInBoth) {
    const int count = static_cast<int>((lastInBoth - x) / stride + 1);
    const int hit = firstOverAnyStride(current.pixelRow(y), reference.pixelRow(y),
                                       static_cast<int>(x), count, stride, threshold);
    if (hit < count) return sampleAt(x + static_cast<long long>(hit) * stride);
    x += static_cast<long long>(count) * stride;
  }
  // Columns inside only one of the frames (frames of different sizes): the other reads -1.
  for (; x <= lastInside; x += stride) {
    const Touch sample = sampleAt(x);
    if (absolute(sample.difference) > threshold) return sample;
  }
  return std::nullopt;
}

}  // namespace vornix::engine
