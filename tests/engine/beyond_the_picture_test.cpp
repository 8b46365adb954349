// Searches whose corner fields span the whole 16-bit range, so that nearly all of their grid lies
// outside the 320 x 240 picture: they read only the picture's samples and find what they find
// over the picture's own corners.

#include "engine/stripe_detector.h"
#include "engine/two_point_detector.h"

#include "drawn_frames.h"

#include <gtest/gtest.h>

#include <vector>

using vornix::FrameView;
using vornix::kFrameHeight;
using vornix::kFrameWidth;
using vornix::engine::findDifferingRow;
using vornix::engine::findStripe;
using vornix::engine::RowSearch;
using vornix::engine::ScanArea;
using vornix::testing::plainFrame;
using vornix::testing::withDots;
using vornix::testing::withRun;

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

// Mode 3 with a negative threshold: outside the picture every sample counts as brighter, so the
// search measures stripe after stripe there before and after the picture's part of each row. In
// the picture the ground is darker than the reference and only the fingertip counts.
TEST(BeyondThePicture, TheStripeSearchUnderANegativeThresholdKeepsOnlyThePicturesSamples) {
  const QImage reference = plainFrame(50);
  std::vector<int> fingertip{25, 35, 45};
  for (int i = 0; i < 12; ++i) fingertip.push_back(150 + 2 * i);
  fingertip.insert(fingertip.end(), {45, 35, 25});
  const QImage frame = withRun(plainFrame(20), 30, 20, fingertip);

  const auto wide = findStripe(FrameView(frame), FrameView(reference), {-32768, -32768, 32767, 32767, 1}, -1);
  const auto own = findStripe(FrameView(frame), FrameView(reference), {0, 0, kFrameWidth - 1, kFrameHeight - 1, 1}, -1);
  ASSERT_TRUE(own.touch);
  ASSERT_TRUE(wide.touch);
  EXPECT_EQ(wide.touch->x, own.touch->x);
  EXPECT_EQ(wide.touch->y, own.touch->y);
  EXPECT_LE(wide.examined.size(), std::size_t(kPictureSamples));
}

}  // namespace
