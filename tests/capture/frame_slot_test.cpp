#include "capture/frame_slot.h"

#include "base/frame.h"

#include <gtest/gtest.h>

namespace vornix::capture {
namespace {

TEST(FrameSlot, StartsEmpty) {
  FrameSlot slot;
  EXPECT_TRUE(slot.empty());
  EXPECT_FALSE(slot.get().has_value());
}

TEST(FrameSlot, GetReturnsThePicturePutLastAndKeepsIt) {
  FrameSlot slot;
  QImage first = blankFrame();
  QImage second = blankFrame();
  second.fill(Qt::red);
  slot.put(first);
  slot.put(second);
  ASSERT_TRUE(slot.get().has_value());
  EXPECT_EQ(*slot.get(), second);
  EXPECT_EQ(*slot.get(), second) << "reading does not take the picture away";
}

TEST(FrameSlot, ClearEmptiesIt) {
  FrameSlot slot;
  slot.put(blankFrame());
  slot.clear();
  EXPECT_FALSE(slot.get().has_value());
}

TEST(FrameSlot, HoldsItsOwnCopyOfThePicture) {
  FrameSlot slot;
  QImage image = blankFrame();
  slot.put(image);
  image.fill(Qt::white);
  EXPECT_EQ(slot.get()->pixel(0, 0), qRgb(0, 0, 0));
}

}  // namespace
}  // namespace vornix::capture
