#include "tracking/blob_finder.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace vornix::tracking {

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
      background_.assign(std::size_t(width_) * height_, 0.0f);
    }
    const float limit = float(threshold);
    for (int y = 0; y < h; ++y) {
      const uchar* now = current.pixelRow(scan.y() + y) + scan.x() * 4 + 2;
      float* background = background_.data() + std::size_t(scan.y() + y) * width_ + scan.x();
      std::uint8_t* m = mask_.data() + std::size_t(y) * w;
      if (fresh) {
        for (int x = 0; x < w; ++x) background[x] = now[x * 4];
        std::fill(m, m + w, 0);
        continue;
      }
      for (int x = 0; x < w; ++x) {
        const float difference = float(now[x * 4]) - background[x];
        const bool differs = std::abs(difference) > limit;
        m[x] = differs;
        differing += differs;
        background[x] += difference * (differs ? kAbsorbRate : kLearnRate);
      }
    }
    if (differing > kGlobalChangeShare * w * h) {
      for (int y = 0; y < h; ++y) {
        const uchar* now = current.pixelRow(scan.y() + y) + scan.x() * 4 + 2;
        float* background = background_.data() + std::size_t(scan.y() + y) * width_ + scan.x();
        for (int x = 0; x < w; ++x) background[x] = now[x * 4];
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
