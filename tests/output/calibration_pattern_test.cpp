#include "output/calibration_pattern.h"

#include "base/frame.h"
#include "support/pattern_frame.h"

#include <gtest/gtest.h>

namespace vornix::output {
namespace {

QImage cameraFrame(const Corners& seen) { return testing::patternFrame(seen); }

void expectCorners(const Corners& found, const Corners& expected, double tolerance) {
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(found[i].x(), expected[i].x(), tolerance) << "corner " << i;
    EXPECT_NEAR(found[i].y(), expected[i].y(), tolerance) << "corner " << i;
  }
}

TEST(CalibrationPattern, AKeystonedBoardGivesTheRangesCornersAndTheTrapezoid) {
  const Corners keystone = {QPointF(40, 20), QPointF(14, 226), QPointF(280, 20), QPointF(306, 226)};
  const std::optional<std::vector<QPointF>> found = findPattern(cameraFrame(keystone));
  ASSERT_TRUE(found);
  const std::optional<CalibrationFit> fit = fitCalibration(*found);
  ASSERT_TRUE(fit);
  EXPECT_EQ(fit->mapping, 1);
  EXPECT_LT(fit->residualPx, 0.5);
  expectCorners(fit->corners, keystone, 1.0);
  ASSERT_TRUE(fit->grid.stored());
  EXPECT_NEAR(fit->grid.at(0, 0).x(), 40, 1.0);
  EXPECT_NEAR(fit->grid.at(kGridColumns - 1, kGridRows - 1).y(), 226, 1.0);
}

// A lens that moves a point at u to c + (u - c)(1 + k1 r^2), c the picture's centre and r in
// units of 200 pixels: each pixel of the bent frame is read where the lens took it from.
QPointF bent(QPointF u, double k1) {
  const QPointF c(160, 120), d = (u - c) / 200;
  return c + (u - c) * (1 + k1 * QPointF::dotProduct(d, d));
}

QImage throughLens(const QImage& frame, double k1) {
  QImage out = frame;
  for (int y = 0; y < out.height(); ++y)
    for (int x = 0; x < out.width(); ++x) {
      QPointF u(x, y);
      for (int i = 0; i < 20; ++i) u += QPointF(x, y) - bent(u, k1);
      const QPoint from = u.toPoint();
      out.setPixel(x, y, frame.rect().contains(from) ? frame.pixel(from) : qRgb(90, 90, 90));
    }
  return out;
}

TEST(CalibrationPattern, ABendingLensChoosesTheGridWhichFollowsTheBend) {
  const Corners keystone = {QPointF(50, 30), QPointF(30, 212), QPointF(270, 30), QPointF(290, 212)};
  const double k1 = 0.08;
  const std::optional<std::vector<QPointF>> found = findPattern(throughLens(cameraFrame(keystone), k1));
  ASSERT_TRUE(found);
  const std::optional<CalibrationFit> fit = fitCalibration(*found);
  ASSERT_TRUE(fit);
  EXPECT_EQ(fit->mapping, 2);
  expectCorners(fit->corners, {bent(keystone[0], k1), bent(keystone[1], k1), bent(keystone[2], k1), bent(keystone[3], k1)}, 1.5);
}

TEST(CalibrationPattern, ACameraUpsideDownOrMirroredStillNamesTheCornersRight) {
  // Upside down: the range's top-left appears bottom-right. Mirrored: seen from behind a screen.
  const Corners turned = {QPointF(290, 215), QPointF(300, 30), QPointF(25, 220), QPointF(20, 25)};
  const Corners mirrored = {QPointF(290, 25), QPointF(295, 215), QPointF(30, 20), QPointF(25, 220)};
  for (const Corners& seen : {turned, mirrored}) {
    const std::optional<std::vector<QPointF>> found = findPattern(cameraFrame(seen));
    ASSERT_TRUE(found);
    const std::optional<CalibrationFit> fit = fitCalibration(*found);
    ASSERT_TRUE(fit);
    expectCorners(fit->corners, seen, 1.0);
  }
}

TEST(CalibrationPattern, AFrameWithoutTheWholeBoardGivesNothing) {
  EXPECT_FALSE(findPattern(blankFrame()));
  const Corners cut = {QPointF(-120, 20), QPointF(-120, 226), QPointF(280, 20), QPointF(280, 226)};
  EXPECT_FALSE(findPattern(cameraFrame(cut)));
  EXPECT_FALSE(fitCalibration({QPointF(1, 1), QPointF(2, 2)}));
}

}  // namespace
}  // namespace vornix::output
