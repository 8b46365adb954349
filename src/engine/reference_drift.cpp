#include "engine/reference_drift.h"


#include <algorithm>
#include <cstdint>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vornix::engine {

namespace {

// The most a pixel's red moves in one drift step.
constexpr int kStep = 4;

// count pixels of a row, little-endian RGB32: the red byte of pixel i is byte 4 i + 2.
void driftRow(const uchar* current, const uchar* reference, uchar* out, int count, int threshold, int shift) {
  int i = 0;
#if defined(__SSE2__)
  // Four pixels to a vector, every byte at once, the step kept on the red bytes only.
  const __m128i redBytes = _mm_set1_epi32(0x00FF0000);
  const __m128i limit = _mm_set1_epi8(static_cast<char>(threshold));
  const __m128i steps = _mm_set1_epi8(kStep);
  const __m128i shiftUp = _mm_set1_epi8(static_cast<char>(std::max(shift, 0)));
  const __m128i shiftDown = _mm_set1_epi8(static_cast<char>(std::max(-shift, 0)));
  for (; i + 4 <= count; i += 4) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(current + 4 * i));
    const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(reference + 4 * i));
    const __m128i up = _mm_subs_epu8(c, r);
    const __m128i down = _mm_subs_epu8(r, c);
    const __m128i within = _mm_cmpeq_epi8(_mm_subs_epu8(_mm_or_si128(up, down), limit), _mm_setzero_si128());
    const __m128i moves = _mm_and_si128(within, redBytes);
    __m128i next = _mm_add_epi8(r, _mm_and_si128(_mm_min_epu8(up, steps), moves));
    next = _mm_sub_epi8(next, _mm_and_si128(_mm_min_epu8(down, steps), moves));
    const __m128i shifts = _mm_andnot_si128(within, redBytes);
    next = _mm_adds_epu8(next, _mm_and_si128(shiftUp, shifts));
    next = _mm_subs_epu8(next, _mm_and_si128(shiftDown, shifts));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), next);
  }
#endif
  for (; i < count; ++i) {
    std::copy_n(reference + 4 * i, 4, out + 4 * i);
    const int d = current[4 * i + 2] - reference[4 * i + 2];
    const int red = reference[4 * i + 2];
    out[4 * i + 2] = static_cast<uchar>(std::abs(d) <= threshold ? red + std::clamp(d, -kStep, kStep)
                                                                 : std::clamp(red + shift, 0, 255));
  }
}

bool isFrame(const QImage& image) {
  return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32;
}

}  // namespace

void driftReference(const QImage& current, const QImage& reference, int threshold, int lightShift, QImage& into) {
  if (current.size() != reference.size() || !isFrame(current) || !isFrame(reference) || threshold < 1) {
    into = reference;
    return;
  }
  if (into.size() != reference.size() || into.format() != reference.format())
    into = QImage(reference.size(), reference.format());
  const int limit = std::min(threshold, 255);
  const int shift = std::clamp(lightShift, -kStep, kStep);
  for (int y = 0; y < reference.height(); ++y)
    driftRow(current.constScanLine(y), reference.constScanLine(y), into.scanLine(y), reference.width(), limit, shift);
}

}  // namespace vornix::engine
