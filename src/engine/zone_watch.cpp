#include "engine/zone_watch.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vornix::engine {

ZoneCount countDiffering(const FrameView& current, const FrameView& reference, const QRect& rect, int stride,
                         int threshold) {
  ZoneCount count;
  if (stride < 1 || rect.isEmpty()) return count;
  const int width = std::min(current.width(), reference.width());
  const int height = std::min(current.height(), reference.height());
  // Outside the frames a sample reads -1 in both and never differs: only samples inside count.
  const auto first = [stride](int from) { return from >= 0 ? from : from + (-from + stride - 1) / stride * stride; };
  const int x0 = first(rect.left()), y0 = first(rect.top());
  const int x1 = std::min(rect.right(), width - 1), y1 = std::min(rect.bottom(), height - 1);
  if (x0 > x1 || threshold > 255) {
    for (int y = y0; y <= y1; y += stride) count.samples += x0 > x1 ? 0 : (x1 - x0) / stride + 1;
    return count;
  }
  for (int y = y0; y <= y1; y += stride) {
    const auto* now = reinterpret_cast<const std::uint32_t*>(current.pixelRow(y));
    const auto* then = reinterpret_cast<const std::uint32_t*>(reference.pixelRow(y));
    int x = x0;
#if defined(__SSE2__)
    if (stride == 1 && threshold >= 0) {
      // Four samples at a time: the red bytes' difference either way, over the threshold.
      const __m128i redBytes = _mm_set1_epi32(0x00FF0000);
      const __m128i limit = _mm_set1_epi32(threshold << 16);
      const __m128i zero = _mm_setzero_si128();
      __m128i same = zero;  // per lane, the samples that did not differ (each compare gives -1)
      const int from = x;
      for (; x + 3 <= x1; x += 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(now + x));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(then + x));
        const __m128i d = _mm_and_si128(_mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a)), redBytes);
        same = _mm_sub_epi32(same, _mm_cmpeq_epi32(_mm_subs_epu8(d, limit), zero));
      }
      alignas(16) std::int32_t lanes[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(lanes), same);
      count.samples += x - from;
      count.differing += x - from - (lanes[0] + lanes[1] + lanes[2] + lanes[3]);
    }
#endif
    for (; x <= x1; x += stride) {
      ++count.samples;
      if (std::abs(int((now[x] >> 16) & 0xFF) - int((then[x] >> 16) & 0xFF)) > threshold) ++count.differing;
    }
  }
  return count;
}

std::vector<ZoneChange> ZoneWatch::update(const std::vector<ZoneCount>& counts) {
  if (occupied_.size() != counts.size()) occupied_.assign(counts.size(), false);
  std::vector<ZoneChange> changes;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    const long long differing = counts[i].differing, samples = counts[i].samples;
    if (samples == 0) continue;
    if (!occupied_[i] && differing * 10 >= samples) {
      occupied_[i] = true;
      changes.push_back({int(i), true});
    } else if (occupied_[i] && differing * 20 < samples) {
      occupied_[i] = false;
      changes.push_back({int(i), false});
    }
  }
  return changes;
}

}  // namespace vornix::engine
