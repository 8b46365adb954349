#include "output/corner_transform.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <vector>

namespace vornix::output {

namespace {

// The corners as OpenCV points, walked round the outline: top-left, top-right, bottom-right,
// bottom-left.
std::vector<cv::Point2f> outline(const Corners& corners) {
  std::vector<cv::Point2f> ring;
  for (int i : {0, 2, 3, 1}) ring.emplace_back(float(corners[i].x()), float(corners[i].y()));
  return ring;
}

}  // namespace

bool isConvexQuad(const Corners& corners) {
  const std::vector<cv::Point2f> ring = outline(corners);
  for (const cv::Point2f& p : ring)
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
  // A convex outline may still have a corner on the line of its neighbours; the hull drops it.
  std::vector<cv::Point2f> hull;
  cv::convexHull(ring, hull);
  return cv::isContourConvex(ring) && hull.size() == 4;
}

std::optional<QPointF> perspectivePoint(const Corners& camera, const QRectF& range, QPointF point) {
  if (!isConvexQuad(camera)) return std::nullopt;
  const double left = range.left(), top = range.top();
  const double right = left + range.width(), bottom = top + range.height();
  const std::vector<cv::Point2f> from = outline(camera);
  const std::vector<cv::Point2f> to = outline({QPointF(left, top), QPointF(left, bottom),
                                               QPointF(right, top), QPointF(right, bottom)});
  const cv::Mat transform = cv::getPerspectiveTransform(from, to);
  std::vector<cv::Point2d> mapped;
  cv::perspectiveTransform(std::vector<cv::Point2d>{{point.x(), point.y()}}, mapped, transform);
  return QPointF(mapped.front().x, mapped.front().y);
}

}  // namespace vornix::output
