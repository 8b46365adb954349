#include "engine/laser_spot_detector.h"

#include "base/text_rules.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace vornix::engine {

namespace {

// The first sample of a grid line starting at from with this stride that is not below 0.
long long firstInside(long long from, long long stride) {
  return from >= 0 ? from : from + (-from + stride - 1) / stride * stride;
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

  // The red of the grid, and the box around the samples above the threshold: the labelling
  // runs on that box only, which is small whenever the picture holds no large bright area.
  cv::Mat red(rows, columns, CV_8U);
  int left = columns, right = -1, top = rows, bottom = -1;
  for (int r = 0; r < rows; ++r) {
    const uchar* pixels = frame.pixelRow(int(y0 + r * s)) + x0 * 4 + 2;
    uchar* out = red.ptr<uchar>(r);
    int brightest = search.brightest;
    for (int c = 0; c < columns; ++c) {
      const int value = pixels[c * s * 4];
      out[c] = uchar(value);
      brightest = std::max(brightest, value);
      if (value > threshold) {
        left = std::min(left, c);
        right = std::max(right, c);
        top = std::min(top, r);
        bottom = r;
      }
    }
    search.brightest = brightest;
  }
  if (right < 0) return search;

  const cv::Rect box(left, top, right - left + 1, bottom - top + 1);
  const cv::Mat boxRed = red(box);
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
