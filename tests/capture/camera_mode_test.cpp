#include "capture/camera_mode.h"

#include <gtest/gtest.h>

namespace vornix::capture {
namespace {

constexpr std::uint32_t code(const char (&text)[5]) {
  return std::uint32_t(text[0]) | std::uint32_t(text[1]) << 8 | std::uint32_t(text[2]) << 16 |
         std::uint32_t(text[3]) << 24;
}

const QSize kLeast(320, 240);

TEST(CameraMode, HighestRateFirstThenSmallestSizeThenUncompressed) {
  // A faster mode below the picture's size never counts while one holds it; H.264 cannot be read.
  const std::vector<CameraMode> modes = {{code("YUYV"), {160, 120}, 120}, {code("H264"), {320, 240}, 90},
                                         {code("YUYV"), {320, 240}, 30},  {code("YUYV"), {1280, 720}, 60},
                                         {code("MJPG"), {640, 480}, 60},  {code("MJPG"), {320, 240}, 30}};
  EXPECT_EQ(chooseCameraMode(modes, kLeast), (CameraMode{code("MJPG"), {640, 480}, 60}));

  const std::vector<CameraMode> tie = {{code("MJPG"), {320, 240}, 30}, {code("YUYV"), {320, 240}, 30}};
  EXPECT_EQ(chooseCameraMode(tie, kLeast), tie[1]);
  EXPECT_EQ(cameraModeText(tie[1]), "YUYV 320x240 30");
}

TEST(CameraMode, OnlySmallerModesGiveTheLargestAndNoneGivesNothing) {
  const std::vector<CameraMode> small = {{code("YUYV"), {160, 120}, 60}, {code("MJPG"), {320, 180}, 15},
                                         {code("YUYV"), {176, 144}, 30}};
  EXPECT_EQ(chooseCameraMode(small, kLeast), small[1]);
  EXPECT_EQ(chooseCameraMode({}, kLeast), std::nullopt);
  EXPECT_EQ(chooseCameraMode({{code("H264"), {640, 480}, 30}}, kLeast), std::nullopt);
}

}  // namespace
}  // namespace vornix::capture
