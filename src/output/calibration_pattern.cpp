#include "output/calibration_pattern.h"

#include "base/frame.h"

#include <opencv2/calib3d.hpp>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace vornix::output {

namespace {

constexpr int kInnerColumns = kPatternColumns - 1;
constexpr int kInnerRows = kPatternRows - 1;

// Where inner corner (column, row) lies in the range, as fractions of its width and height.
cv::Point2d boardPoint(int column, int row) {
  return {(column + 1.5) / (kPatternColumns + 1), (row + 1.5) / (kPatternRows + 1)};
}

// The lens: a point that the perspective alone puts at u appears at c + (u - c)(1 + k1 r^2),
// with c the picture's centre and r = |u - c| in units of 200 pixels.
const cv::Point2d kLensCentre(kFrameWidth / 2.0, kFrameHeight / 2.0);
constexpr double kLensUnit = 200;

cv::Point2d bend(cv::Point2d u, double k1) {
  const cv::Point2d d = (u - kLensCentre) / kLensUnit;
  return kLensCentre + (u - kLensCentre) * (1 + k1 * d.dot(d));
}

std::vector<cv::Point2d> straighten(const std::vector<cv::Point2d>& seen, double k1) {
  const cv::Matx33d camera(kLensUnit, 0, kLensCentre.x, 0, kLensUnit, kLensCentre.y, 0, 0, 1);
  std::vector<cv::Point2d> straight;
  cv::undistortPoints(seen, straight, camera, cv::Vec4d(k1, 0, 0, 0), cv::noArray(), camera,
                      cv::TermCriteria(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, 50, 1e-9));
  return straight;
}

double meanDistance(const std::vector<cv::Point2d>& a, const std::vector<cv::Point2d>& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += cv::norm(a[i] - b[i]);
  return sum / double(a.size());
}

std::vector<cv::Point2d> transformed(const std::vector<cv::Point2d>& points, const cv::Mat& homography) {
  std::vector<cv::Point2d> out;
  cv::perspectiveTransform(points, out, homography);
  return out;
}

// The perspective transform and lens that best take the board onto what the camera saw.
struct LensModel {
  cv::Mat homography;
  double k1 = 0;
  double residualPx = INFINITY;
};

LensModel fitLens(const std::vector<cv::Point2d>& board, const std::vector<cv::Point2d>& seen, double k1) {
  LensModel model;
  model.k1 = k1;
  model.homography = cv::findHomography(board, straighten(seen, k1), 0);
  if (model.homography.empty()) return model;
  std::vector<cv::Point2d> predicted = transformed(board, model.homography);
  for (cv::Point2d& p : predicted) p = bend(p, k1);
  model.residualPx = meanDistance(predicted, seen);
  return model;
}

// A coarse scan over plausible lenses, then a golden-section search around the best.
LensModel bestLens(const std::vector<cv::Point2d>& board, const std::vector<cv::Point2d>& seen) {
  constexpr double kStep = 0.02, kLimit = 0.4;
  LensModel best;
  for (double k1 = -kLimit; k1 <= kLimit + 1e-9; k1 += kStep) {
    LensModel candidate = fitLens(board, seen, k1);
    if (candidate.residualPx < best.residualPx) best = candidate;
  }
  const double golden = (std::sqrt(5.0) - 1) / 2;
  double low = best.k1 - kStep, high = best.k1 + kStep;
  for (int i = 0; i < 30; ++i) {
    const double a = high - golden * (high - low), b = low + golden * (high - low);
    LensModel atA = fitLens(board, seen, a), atB = fitLens(board, seen, b);
    if (atA.residualPx < atB.residualPx) high = b; else low = a;
    for (LensModel* m : {&atA, &atB})
      if (m->residualPx < best.residualPx) best = *m;
  }
  return best;
}

// The ways the found corners may be numbered against the board's: as the board, turned half
// round, or mirrored along either axis (a camera behind a rear-projection screen).
using Numbering = std::function<int(int column, int row)>;
const std::array<Numbering, 4> kNumberings = {
    [](int c, int r) { return r * kInnerColumns + c; },
    [](int c, int r) { return (kInnerRows - 1 - r) * kInnerColumns + (kInnerColumns - 1 - c); },
    [](int c, int r) { return r * kInnerColumns + (kInnerColumns - 1 - c); },
    [](int c, int r) { return (kInnerRows - 1 - r) * kInnerColumns + c; },
};

// A dark mark in the margin beside the board's top-left square, the only thing that tells the
// board's corners apart: centre and side in squares from the range's top-left.
constexpr double kMarkCentre = 0.25;
constexpr double kMarkSide = 0.3;

cv::Point2d markPoint(double across, double down) {
  return {across / (kPatternColumns + 1), down / (kPatternRows + 1)};
}

// How dark the frame is where a numbering puts the mark, against the three other corners of the
// margin (positive: darker).
double markContrast(const cv::Mat& gray, const std::vector<cv::Point2f>& found, const Numbering& number) {
  std::vector<cv::Point2d> board, seen;
  for (int r = 0; r < kInnerRows; ++r)
    for (int c = 0; c < kInnerColumns; ++c) {
      board.push_back(boardPoint(c, r));
      seen.emplace_back(found[std::size_t(number(c, r))]);
    }
  const cv::Mat homography = cv::findHomography(board, seen, 0);
  if (homography.empty()) return -INFINITY;
  const double farAcross = kPatternColumns + 1 - kMarkCentre, farDown = kPatternRows + 1 - kMarkCentre;
  const std::vector<cv::Point2d> places = transformed(
      {markPoint(kMarkCentre, kMarkCentre), markPoint(farAcross, kMarkCentre), markPoint(kMarkCentre, farDown),
       markPoint(farAcross, farDown)},
      homography);
  std::vector<double> shades;
  for (const cv::Point2d& p : places) {
    const int x = std::clamp(int(std::lround(p.x)), 1, gray.cols - 2);
    const int y = std::clamp(int(std::lround(p.y)), 1, gray.rows - 2);
    shades.push_back(cv::mean(gray(cv::Rect(x - 1, y - 1, 3, 3)))[0]);
  }
  return (shades[1] + shades[2] + shades[3]) / 3 - shades[0];
}

}  // namespace

QImage drawPattern(QSize size) {
  QImage pattern(size, QImage::Format_RGB32);
  pattern.fill(Qt::white);
  QPainter painter(&pattern);
  const double width = double(size.width()) / (kPatternColumns + 1);
  const double height = double(size.height()) / (kPatternRows + 1);
  for (int row = 0; row < kPatternRows; ++row)
    for (int column = row % 2; column < kPatternColumns; column += 2) {
      const int left = int(std::lround((column + 0.5) * width)), right = int(std::lround((column + 1.5) * width));
      const int top = int(std::lround((row + 0.5) * height)), bottom = int(std::lround((row + 1.5) * height));
      painter.fillRect(left, top, right - left, bottom - top, Qt::black);
    }
  painter.fillRect(QRectF((kMarkCentre - kMarkSide / 2) * width, (kMarkCentre - kMarkSide / 2) * height,
                          kMarkSide * width, kMarkSide * height),
                   Qt::black);
  return pattern;
}

std::optional<std::vector<QPointF>> findPattern(const QImage& frame) {
  const QImage image = toFrameFormat(frame);
  if (image.isNull()) return std::nullopt;
  const cv::Mat bgra(image.height(), image.width(), CV_8UC4, const_cast<uchar*>(image.constBits()),
                     std::size_t(image.bytesPerLine()));
  cv::Mat gray;
  cv::cvtColor(bgra, gray, cv::COLOR_BGRA2GRAY);
  std::vector<cv::Point2f> found;
  // The quick check turns away most frames without the board at a fraction of the search's cost.
  if (!cv::checkChessboard(gray, cv::Size(kInnerColumns, kInnerRows)) ||
      !cv::findChessboardCornersSB(gray, cv::Size(kInnerColumns, kInnerRows), found,
                                   cv::CALIB_CB_EXHAUSTIVE | cv::CALIB_CB_ACCURACY))
    return std::nullopt;
  if (found.size() != std::size_t(kInnerColumns * kInnerRows)) return std::nullopt;

  // The numbering that puts the mark where the frame is dark.
  std::size_t best = 0;
  double bestContrast = -INFINITY;
  for (std::size_t i = 0; i < kNumberings.size(); ++i) {
    const double contrast = markContrast(gray, found, kNumberings[i]);
    if (contrast > bestContrast) {
      bestContrast = contrast;
      best = i;
    }
  }
  const Numbering& number = kNumberings[best];

  std::vector<QPointF> ordered;
  for (int r = 0; r < kInnerRows; ++r)
    for (int c = 0; c < kInnerColumns; ++c) ordered.emplace_back(found[number(c, r)].x, found[number(c, r)].y);
  return ordered;
}

std::optional<CalibrationFit> fitCalibration(const std::vector<QPointF>& found) {
  if (found.size() != std::size_t(kInnerColumns * kInnerRows)) return std::nullopt;
  std::vector<cv::Point2d> board, seen;
  for (int r = 0; r < kInnerRows; ++r)
    for (int c = 0; c < kInnerColumns; ++c) {
      board.push_back(boardPoint(c, r));
      const QPointF& p = found[std::size_t(r * kInnerColumns + c)];
      seen.emplace_back(p.x(), p.y());
    }
  const cv::Mat homography = cv::findHomography(board, seen, 0);
  if (homography.empty()) return std::nullopt;

  CalibrationFit fit;
  fit.residualPx = meanDistance(transformed(board, homography), seen);
  const LensModel lens = bestLens(board, seen);
  if (lens.homography.empty()) return std::nullopt;
  const auto throughLens = [&lens](const std::vector<cv::Point2d>& range) {
    std::vector<cv::Point2d> seenAt = transformed(range, lens.homography);
    for (cv::Point2d& p : seenAt) p = bend(p, lens.k1);
    return seenAt;
  };
  // How far the lens bends the whole range, corners included, from the straight perspective
  // closest to it: the board's own corners lie where the bending is weakest.
  std::vector<cv::Point2d> nodes;
  for (int r = 0; r < kGridRows; ++r)
    for (int c = 0; c < kGridColumns; ++c) nodes.emplace_back(double(c) / (kGridColumns - 1), double(r) / (kGridRows - 1));
  const std::vector<cv::Point2d> bentNodes = throughLens(nodes);
  const cv::Mat straight = cv::findHomography(nodes, bentNodes, 0);
  double bendPx = 0;
  if (!straight.empty()) {
    const std::vector<cv::Point2d> straightNodes = transformed(nodes, straight);
    for (std::size_t i = 0; i < nodes.size(); ++i) bendPx = std::max(bendPx, cv::norm(straightNodes[i] - bentNodes[i]));
  }
  fit.mapping = bendPx > kBentLensPx ? 2 : 1;
  const auto camera = [&](const std::vector<cv::Point2d>& range) {
    return fit.mapping == 2 ? throughLens(range) : transformed(range, homography);
  };

  const std::vector<cv::Point2d> corners = camera({{0, 0}, {0, 1}, {1, 0}, {1, 1}});
  for (std::size_t i = 0; i < 4; ++i) fit.corners[i] = QPointF(corners[i].x, corners[i].y);
  if (!isConvexQuad(fit.corners)) return std::nullopt;
  fit.grid.columns = kGridColumns;
  fit.grid.rows = kGridRows;
  for (const cv::Point2d& p : camera(nodes)) fit.grid.camera.emplace_back(p.x, p.y);
  return fit;
}

}  // namespace vornix::output
