// Searches whose corner fields span the whole 16-bit range, so that nearly all of their grid lies
// outside the 320 x 240 picture: they read only the picture's samples.

#include "engine/two_point_detector.h"

#include "drawn_frames.h"

#include <gtest/gtest.h>

using vornix::FrameView;
using vornix::kFrameHeight;
using vornix::kFrameWidth;
using vornix::engine::findDifferingRow;
using vornix::engine::RowSearch;
using vornix::testing::plainFrame;
using vornix::testing::withDots;

namespace {

constexpr int kPictureSamples = kFrameWidth * kFrameHeight;

// Mode 6, stride 1.5 from -32768: the grid reaches the last pixel of the picture, (319, 239).
TEST(BeyondThePicture, TheTwoPointRowSearchReadsOnlyThePicturesSamples) {
  const QImage reference = plainFrame(50);
  const QImage frame = withDots(reference, {{kFrameWidth - 1, kFrameHeight - 1, 255}});
  RowSearch search(-32768, 32767, 1.5, 60);
  int rowsSearched = 0;
  const auto hit = findDifferingRow(search, -32768, 32767, [&](int) {
    ++rowsSearched;
    return std::pair(FrameView(frame), FrameView(reference));
  });
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->first, kFrameHeight - 1);
  EXPECT_EQ(hit->second, kFrameWidth - 1);
  EXPECT_LE(rowsSearched, kFrameHeight + 1);
  EXPECT_LE(search.samplesRead(), kPictureSamples);
}

}  // namespace
