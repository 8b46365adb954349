#include "tracking/blob_finder.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>

#include <emmintrin.h>

namespace vornix::tracking {

namespace {

// One row against the finder's own background (red in 16.16 fixed point): marks in mask the
// samples whose red differs by more than threshold, lets the background learn, and returns how
// many differ. Four samples at a time with SSE2.
std::size_t learnRow(const std::uint32_t* pixels, std::int32_t* background, std::uint8_t* mask, int w, int threshold) {
  constexpr int kLearnShift = 5, kAbsorbShift = 13;  // kLearnRate and kAbsorbRate
  static_assert(BlobFinder::kLearnRate == 1.0f / (1 << kLearnShift) && BlobFinder::kAbsorbRate == 1.0f / (1 << kAbsorbShift));
  // Any threshold of 255 or more lets nothing differ, any below 0 everything.
  const std::int32_t limit = std::clamp(threshold, -1, 255) * (1 << BlobFinder::kFractionBits);
  std::size_t differing = 0;
  int x = 0;
  const __m128i redMask = _mm_set1_epi32(0xFF), limits = _mm_set1_epi32(limit);
  __m128i counts = _mm_setzero_si128();  // differing samples per lane
  for (; x + 4 <= w; x += 4) {
    const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + x));
    const __m128i red = _mm_slli_epi32(_mm_and_si128(_mm_srli_epi32(px, 16), redMask), BlobFinder::kFractionBits);
    __m128i* bgAt = reinterpret_cast<__m128i*>(background + x);
    const __m128i bg = _mm_loadu_si128(bgAt);
    const __m128i d = _mm_sub_epi32(red, bg);
    const __m128i sign = _mm_srai_epi32(d, 31);
    const __m128i magnitude = _mm_sub_epi32(_mm_xor_si128(d, sign), sign);
    const __m128i differs = _mm_cmpgt_epi32(magnitude, limits);
    const __m128i step = _mm_or_si128(_mm_and_si128(differs, _mm_srai_epi32(d, kAbsorbShift)),
                                      _mm_andnot_si128(differs, _mm_srai_epi32(d, kLearnShift)));
    _mm_storeu_si128(bgAt, _mm_add_epi32(bg, step));
    const __m128i bytes = _mm_packs_epi16(_mm_packs_epi32(differs, differs), differs);
    const int flags = _mm_cvtsi128_si32(bytes);
    std::memcpy(mask + x, &flags, 4);
    counts = _mm_sub_epi32(counts, differs);
  }
  alignas(16) std::int32_t lanes[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), counts);
  differing += std::size_t(lanes[0]) + std::size_t(lanes[1]) + std::size_t(lanes[2]) + std::size_t(lanes[3]);
  for (; x < w; ++x) {
    const std::int32_t d = (std::int32_t((pixels[x] >> 16) & 0xFF) << BlobFinder::kFractionBits) - background[x];
    const bool differs = std::abs(d) > limit;
    mask[x] = differs ? 0xFF : 0;
    differing += differs;
    background[x] += d >> (differs ? kAbsorbShift : kLearnShift);
  }
  return differing;
}

}  // namespace

struct BlobFinder::Labels {
  cv::Mat labels, stats, centroids;
};

BlobFinder::BlobFinder() : labels_(std::make_unique<Labels>()) {}
BlobFinder::~BlobFinder() = default;

std::vector<Blob> BlobFinder::find(const FrameView& current, const FrameView* reference, const QRect& area,
                                   int threshold, int minArea) {
  const QRect scan = area.intersected(QRect(0, 0, current.width(), current.height()));
  if (scan.isEmpty()) return {};
  if (reference && (reference->width() != current.width() || reference->height() != current.height()))
    return {};
  const int w = scan.width(), h = scan.height();
  mask_.resize(std::size_t(w) * h);
  std::size_t differing = 0;

  if (reference) {
    // The static reference stands in for the background; the finder's own starts afresh after it.
    background_.clear();
    for (int y = 0; y < h; ++y) {
      const uchar* now = current.pixelRow(scan.y() + y) + scan.x() * 4 + 2;
      const uchar* then = reference->pixelRow(scan.y() + y) + scan.x() * 4 + 2;
      std::uint8_t* m = mask_.data() + std::size_t(y) * w;
      for (int x = 0; x < w; ++x) {
        const bool differs = std::abs(int(now[x * 4]) - int(then[x * 4])) > threshold;
        m[x] = differs;
        differing += differs;
      }
    }
  } else {
    const bool fresh = background_.empty() || width_ != current.width() || height_ != current.height();
    if (fresh) {
      width_ = current.width();
      height_ = current.height();
      background_.assign(std::size_t(width_) * height_, 0);
    }
    for (int y = 0; y < h; ++y) {
      const auto* pixels = reinterpret_cast<const std::uint32_t*>(current.pixelRow(scan.y() + y)) + scan.x();
      std::int32_t* background = background_.data() + std::size_t(scan.y() + y) * width_ + scan.x();
      std::uint8_t* m = mask_.data() + std::size_t(y) * w;
      if (fresh) {
        for (int x = 0; x < w; ++x) background[x] = std::int32_t((pixels[x] >> 16) & 0xFF) << kFractionBits;
        std::fill(m, m + w, 0);
        continue;
      }
      differing += learnRow(pixels, background, m, w, threshold);
    }
    if (differing > kGlobalChangeShare * w * h) {
      for (int y = 0; y < h; ++y) {
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(current.pixelRow(scan.y() + y)) + scan.x();
        std::int32_t* background = background_.data() + std::size_t(scan.y() + y) * width_ + scan.x();
        for (int x = 0; x < w; ++x) background[x] = std::int32_t((pixels[x] >> 16) & 0xFF) << kFractionBits;
      }
      return {};
    }
  }
  if (differing == 0) return {};

  const cv::Mat mask(h, w, CV_8U, mask_.data());
  const int count = cv::connectedComponentsWithStats(mask, labels_->labels, labels_->stats, labels_->centroids, 8, CV_32S);
  std::vector<Blob> blobs;
  for (int label = 1; label < count; ++label) {
    const int* s = labels_->stats.ptr<int>(label);
    if (s[cv::CC_STAT_AREA] < std::max(minArea, 1)) continue;
    const double* c = labels_->centroids.ptr<double>(label);
    blobs.push_back(Blob{QPointF(c[0] + scan.x(), c[1] + scan.y()),
                         QRect(s[cv::CC_STAT_LEFT] + scan.x(), s[cv::CC_STAT_TOP] + scan.y(),
                               s[cv::CC_STAT_WIDTH], s[cv::CC_STAT_HEIGHT]),
                         s[cv::CC_STAT_AREA]});
  }
  std::stable_sort(blobs.begin(), blobs.end(), [](const Blob& a, const Blob& b) { return a.area > b.area; });
  if (blobs.size() > kMaxBlobs) blobs.resize(kMaxBlobs);
  return blobs;
}

}  // namespace vornix::tracking
