#pragma once
// The automatic calibration's pattern, its detection in a camera frame and the fitting of the
// corrections to it. The pattern is a chessboard filling the mouse activity range with a margin
// of half a square; its inner corners, found with OpenCV, tell where the camera sees known
// points of the range. From them come the camera positions of the range's four corners, the
// grid of 非线性校正, and the choice between 梯形校正 and 非线性校正.

#include "output/corner_transform.h"
#include "panel/calibration_grid.h"

#include <QImage>
#include <QPointF>
#include <QSize>

#include <optional>
#include <vector>

namespace vornix::output {

// Squares across and down. A dark mark in the margin beside the top-left square tells the
// board's corners apart, so the found corners are put in the board's order whichever way the
// camera sits (turned, or mirrored behind a rear-projection screen).
inline constexpr int kPatternColumns = 10;
inline constexpr int kPatternRows = 7;
// The grid stored for 非线性校正: columns and rows of points, the range's edges included.
inline constexpr int kGridColumns = 9;
inline constexpr int kGridRows = 7;
// When the fitted lens moves a point of the range further than this (camera pixels) from the
// closest perspective transform, it bends straight lines and 非线性校正 is chosen.
inline constexpr double kBentLensPx = 1.0;

// The pattern for a range of this size (white margin, black top-left square, the mark).
QImage drawPattern(QSize size);

// The pattern's inner corners in a camera frame, row by row from the board's top-left, each row
// from its left ((kPatternColumns - 1) x (kPatternRows - 1) points); nothing when the frame
// does not show the whole pattern.
std::optional<std::vector<QPointF>> findPattern(const QImage& frame);

struct CalibrationFit {
  int mapping = 1;  // 1 梯形校正, 2 非线性校正
  // Mean distance in camera pixels between the found corners and the perspective transform
  // fitted to them.
  double residualPx = 0;
  // Camera positions of the range's top-left, bottom-left, top-right and bottom-right corners.
  Corners corners;
  panel::CalibrationGrid grid;
};

// The corrections for the inner corners findPattern gives. The perspective transform of the
// range onto the picture is fitted to them, and so is a lens that bends it radially about the
// picture's centre; 非线性校正 is chosen when that lens bends the range by more than
// kBentLensPx, and the corners and the grid follow the model the chosen mapping stands for.
// Nothing when the corners give no usable model (fewer points, corners not convex).
std::optional<CalibrationFit> fitCalibration(const std::vector<QPointF>& found);

}  // namespace vornix::output
