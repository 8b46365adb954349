#include "engine/detector.h"

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vornix::engine {

namespace {

// Red of a pixel of an RGB32 row (0xAARRGGBB).
inline int redOf(std::uint32_t pixel) { return int((pixel >> 16) & 0xFF); }

// Whether a red difference d = current - reference counts against threshold.
template <bool kBrighter>
inline bool over(int d, int threshold) {
  return kBrighter ? d > threshold : (d > threshold || -d > threshold);
}

// Index of the first of count samples at columns first, first + stride, ... (all inside both
// rows) whose red difference counts; count when there is none. Blocks of samples are tested
// without branches so that the compiler can vectorise them; a block with a hit is searched
// again sample by sample. Stride is a template argument for the usual strides 1..4 (0: the
// run-time stride).
template <int kStride, bool kBrighter>
int firstOver(const std::uint32_t* current, const std::uint32_t* reference, int first, int count,
              int stride, int threshold) {
  const int s = kStride > 0 ? kStride : stride;
  constexpr int kBlock = 64;
  int i = 0;
  for (; i + kBlock <= count; i += kBlock) {
    const std::uint32_t* a = current + first + i * s;
    const std::uint32_t* b = reference + first + i * s;
    unsigned any = 0;
    for (int k = 0; k < kBlock; ++k) {
      const int d = redOf(a[k * s]) - redOf(b[k * s]);
      any |= unsigned(d > threshold) | unsigned(!kBrighter && -d > threshold);
    }
    if (any) break;
  }
  for (; i < count; ++i) {
    const int x = first + i * s;
    if (over<kBrighter>(redOf(current[x]) - redOf(reference[x]), threshold)) return i;
  }
  return count;
}

#if defined(__SSE2__)
// Stride 1, four pixels to a vector: the bytewise difference (current less reference with
// saturation, or the absolute difference), kept on the red bytes, less the threshold with
// saturation, is non-zero exactly where a sample counts. Threshold must lie in 0..255.
template <bool kBrighter>
int firstOverContiguous(const std::uint32_t* current, const std::uint32_t* reference, int first,
                        int count, int threshold) {
  const __m128i redBytes = _mm_set1_epi32(0x00FF0000);
  const __m128i limit = _mm_set1_epi32(threshold << 16);
  const auto load = [](const std::uint32_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  };
  constexpr int kBlock = 32;
  int i = 0;
  for (; i + kBlock <= count; i += kBlock) {
    __m128i any = _mm_setzero_si128();
    for (int k = 0; k < kBlock; k += 4) {
      const __m128i a = load(current + first + i + k);
      const __m128i b = load(reference + first + i + k);
      const __m128i d = kBrighter ? _mm_subs_epu8(a, b) : _mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a));
      any = _mm_or_si128(any, _mm_subs_epu8(_mm_and_si128(d, redBytes), limit));
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) != 0xFFFF) break;
  }
  return i + firstOver<1, kBrighter>(current, reference, first + i, count - i, 1, threshold);
}
#endif

template <bool kBrighter>
int firstOverAnyStride(const std::uint32_t* current, const std::uint32_t* reference, int first, int count,
                       int stride, int threshold) {
  // A red difference is at most 255.
  if (threshold > 255) return count;
  switch (stride) {
#if defined(__SSE2__)
    case 1: return firstOverContiguous<kBrighter>(current, reference, first, count, threshold);
#else
    case 1: return firstOver<1, kBrighter>(current, reference, first, count, 1, threshold);
#endif
    case 2: return firstOver<2, kBrighter>(current, reference, first, count, 2, threshold);
    case 3: return firstOver<3, kBrighter>(current, reference, first, count, 3, threshold);
    case 4: return firstOver<4, kBrighter>(current, reference, first, count, 4, threshold);
    default: return firstOver<0, kBrighter>(current, reference, first, count, stride, threshold);
  }
}

inline const std::uint32_t* rowOf(const FrameView& frame, int y) {
  return reinterpret_cast<const std::uint32_t*>(frame.pixelRow(y));
}

}  // namespace

std::optional<Touch> scanRow(const FrameView& current, const FrameView& reference, int y, int x0,
                             int x3, int stride, int threshold, Difference which) {
  if (stride < 1 || x0 > x3) return std::nullopt;
  const bool brighter = which == Difference::Brighter;
  const auto sampleAt = [&](long long x) {
    const int column = static_cast<int>(x);
    return Touch{column, y, current.red(column, y) - reference.red(column, y)};
  };
  const auto counts = [&](const Touch& sample) {
    return brighter ? over<true>(sample.difference, threshold) : over<false>(sample.difference, threshold);
  };
  // Outside both frames every sample reads -1 against -1, a difference of 0: with a negative
  // threshold that already counts, so the row ends at its first sample outside the frames.
  if (threshold < 0) {
    for (long long x = x0; x <= x3; x += stride)
      if (const Touch sample = sampleAt(x); counts(sample)) return sample;
    return std::nullopt;
  }

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
    const auto first = brighter ? firstOverAnyStride<true> : firstOverAnyStride<false>;
    const int hit = first(rowOf(current, y), rowOf(reference, y), static_cast<int>(x), count, stride, threshold);
    if (hit < count) return sampleAt(x + static_cast<long long>(hit) * stride);
    x += static_cast<long long>(count) * stride;
  }
  // Columns inside only one of the frames (frames of different sizes): the other reads -1.
  for (; x <= lastInside; x += stride)
    if (const Touch sample = sampleAt(x); counts(sample)) return sample;
  return std::nullopt;
}

}  // namespace vornix::engine
