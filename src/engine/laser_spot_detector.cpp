#include "engine/laser_spot_detector.h"

#include "base/text_rules.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vornix::engine {

namespace {

// The first sample of a grid line starting at from with this stride that is not below 0.
long long firstInside(long long from, long long stride) {
  return from >= 0 ? from : from + (-from + stride - 1) / stride * stride;
}

// The brightest red of the samples of row y at columns x0, x0 + s, ... x3 (all inside the frame).
int brightestRed(const FrameView& frame, int y, int x0, int x3, int s) {
  int best = -1;
  const auto* row = reinterpret_cast<const std::uint32_t*>(frame.pixelRow(y));
  int x = x0;
#if defined(__SSE2__)
  if (s == 1) {
    // Byte lanes keep their own maximum, so the red lanes hold the red maximum.
    __m128i most = _mm_setzero_si128();
    for (; x + 3 <= x3; x += 4) most = _mm_max_epu8(most, _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x)));
    alignas(16) std::uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), most);
    for (const std::uint32_t lane : lanes) best = std::max(best, int((lane >> 16) & 0xFF));
  }
#endif
  for (; x <= x3; x += s) best = std::max(best, int((row[x] >> 16) & 0xFF));
  return best;
}

// A black frame of that size, kept for the next pass.
const QImage& blackFrameOf(int width, int height) {
  static thread_local QImage black;
  if (black.width() != width || black.height() != height) {
    black = QImage(width, height, QImage::Format_RGB32);
    black.fill(Qt::black);
  }
  return black;
}

}  // namespace

LaserSearch findLaserSpot(const FrameView& frame, const ScanArea& area, int threshold) {
  LaserSearch search;
  if (area.stride < 1) return search;
  const long long s = area.stride;
  const long long x0 = firstInside(area.x0, s), y0 = firstInside(area.y0, s);
  const long long x3 = std::min<long long>(area.x3, frame.width() - 1);
  const long long y3 = std::min<long long>(area.y3, frame.height() - 1);
  if (x0 > x3 || y0 > y3) return search;
  const int columns = int((x3 - x0) / s) + 1, rows = int((y3 - y0) / s) + 1;

  // The box around the samples above the threshold, found in the rows whose brightest sample is
  // above it with the single-touch detector's row scan against black: the labelling runs on
  // that box only, which is small whenever the picture holds no large bright area.
  const QImage& black = blackFrameOf(frame.width(), frame.height());
  const FrameView dark(black);
  int top = rows, bottom = -1, left = columns, right = -1;
  for (int r = 0; r < rows; ++r) {
    const int y = int(y0 + r * s);
    const int brightest = brightestRed(frame, y, int(x0), int(x3), int(s));
    search.brightest = std::max(search.brightest, brightest);
    if (brightest <= threshold) continue;
    std::optional<Touch> hit = scanRow(frame, dark, y, int(x0), int(x3), int(s), threshold, Difference::Brighter);
    if (!hit) continue;
    top = std::min(top, r);
    bottom = r;
    left = std::min(left, int((hit->x - x0) / s));
    int last = hit->x;
    while ((hit = scanRow(frame, dark, y, int(last + s), int(x3), int(s), threshold, Difference::Brighter)))
      last = hit->x;
    right = std::max(right, int((last - x0) / s));
  }
  if (bottom < 0) return search;
  cv::Mat boxRed(bottom - top + 1, right - left + 1, CV_8U);
  for (int r = 0; r < boxRed.rows; ++r) {
    const uchar* pixels = frame.pixelRow(int(y0 + (top + r) * s)) + (x0 + left * s) * 4 + 2;
    uchar* out = boxRed.ptr<uchar>(r);
    for (int c = 0; c < boxRed.cols; ++c) out[c] = pixels[c * s * 4];
  }
  cv::Mat mask, labels, stats, centroids;
  cv::compare(boxRed, cv::Scalar(threshold), mask, cv::CMP_GT);
  const int count = cv::connectedComponentsWithStats(mask, labels, stats, centroids, 8, CV_32S);
  for (int label = 1; label < count; ++label) {
    const int samples = stats.at<int>(label, cv::CC_STAT_AREA);
    const int width = stats.at<int>(label, cv::CC_STAT_WIDTH), height = stats.at<int>(label, cv::CC_STAT_HEIGHT);
    if (samples > kMostSpotSamples || width > kWidestSpot || height > kWidestSpot) continue;
    const cv::Rect own(stats.at<int>(label, cv::CC_STAT_LEFT), stats.at<int>(label, cv::CC_STAT_TOP), width, height);
    int peak = 0;
    for (int r = own.y; r < own.y + own.height; ++r)
      for (int c = own.x; c < own.x + own.width; ++c)
        if (labels.at<int>(r, c) == label) peak = std::max<int>(peak, boxRed.at<uchar>(r, c));
    if (search.spot && (peak < search.spot->peak || (peak == search.spot->peak && samples <= search.spot->samples)))
      continue;
    const double cx = centroids.at<double>(label, 0) + left, cy = centroids.at<double>(label, 1) + top;
    search.spot = LaserSpot{int(x0 + roundHalfEven(cx) * s), int(y0 + roundHalfEven(cy) * s), samples, peak};
  }
  return search;
}

}  // namespace vornix::engine
