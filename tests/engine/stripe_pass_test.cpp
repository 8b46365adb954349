// Processing function 3 (rear projection) through the panel: Command8 on frames drawn here, over
// a plain reference of red 50 with the threshold 60.

#include "drawn_frames.h"
#include "support/test_system.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

using vornix::testing::CameraTestSystem;
using vornix::testing::plainFrame;
using vornix::testing::withRun;

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

using Reds = std::vector<int>;

const Reds kSharpLeft{74, 86, 98};   // rises 12 a pixel, all within the threshold of the background
const Reds kSharpRight{98, 86, 74};

// A finger's stripe: the left edge, `width` samples brighter than the background by 100 and
// more (each 2 brighter than the one before, so every profile index reads a value of its own),
// the right edge; then the background again.
Reds stripe(int width, const Reds& left = kSharpLeft, const Reds& right = kSharpRight) {
  Reds reds = left;
  for (int i = 0; i < width; ++i) reds.push_back(150 + 2 * i);
  reds.insert(reds.end(), right.begin(), right.end());
  return reds;
}

class StripePass : public ::testing::Test {
protected:
  StripePass() {
    f.Text6.setText("1");
    setReference(plainFrame(50));
  }
  void setReference(const QImage& frame) {
    f.Picture1.setImage(frame);
    f.Command7.click();
  }
  // One pass over frame; whether it reported a touch (Text5 is written only by a touch).
  bool reportsTouch(const QImage& frame) {
    f.Text5[0].setText("none");
    t.camera.frames.push_back(frame);
    f.Command8.click();
    return f.Text5[0].text() != "none";
  }
  // A stripe on row y whose edge starts at column left: its first bright sample is left + 3.
  static QImage frameWith(const Reds& reds, int left = 30, int y = 20) { return withRun(plainFrame(50), left, y, reds); }

  CameraTestSystem t;
  vornix::panel::MAINFRM& f = t.f;
};

TEST_F(StripePass, WidthsFromTenToThirtyFourAreTestedFurther) {
  struct Case {
    int width;
    bool touch;
    const char* contrast;
  };
  // The contrast is p(h) - p(0), h the even middle index: p(8) for 17 values, p(10) for 19.
  for (const Case c : {Case{8, false, ""}, Case{10, true, "86"}, Case{12, true, "90"}, Case{34, true, nullptr},
                       Case{36, false, ""}}) {
    setReference(plainFrame(50));
    EXPECT_EQ(reportsTouch(frameWith(stripe(c.width))), c.touch) << "width " << c.width;
    if (!c.touch) continue;
    EXPECT_EQ(f.Text5[0].text(), QString::number(33 + c.width)) << "the sample just past the stripe";
    EXPECT_EQ(f.Text5[1].text(), "20");
    EXPECT_EQ(f.Text16.text(), QString(":::MOUSEX=%1,Y=0020.").arg(33 + c.width, 4, 10, QChar('0')));
    if (c.contrast) {
      EXPECT_EQ(f.Label2.caption(), c.contrast) << "width " << c.width;
    }
  }
}

// The band is measured up to 40 (column 64), the scan resumes at 65 inside the band, measures
// its rest (67, 69) and goes on to the finger further right on the same row.
TEST_F(StripePass, AWideBandIsPassedOverAndTheScanResumesJustAfterItsMeasurement) {
  const QImage frame = withRun(frameWith(stripe(44), 21), 100, 20, stripe(10));
  ASSERT_TRUE(reportsTouch(frame));
  EXPECT_EQ(f.Text5[0].text(), "113");
  std::vector<int> examined;
  for (const QPoint& point : f.Picture4.points()) examined.push_back(point.x());
  std::vector<int> expected;
  for (int x = 26; x <= 64; x += 2) expected.push_back(x);
  expected.insert(expected.end(), {67, 69});
  for (int x = 105; x <= 113; x += 2) expected.push_back(x);
  EXPECT_EQ(examined, expected);
}

TEST_F(StripePass, EdgesMustRiseSteeplyWithoutFallingSteeply) {
  struct Case {
    Reds left, right;
    bool touch;
  };
  for (const Case& c : {
           Case{{51, 53, 56}, kSharpRight, false},  // rises 5 over two pixels
           Case{{51, 53, 57}, kSharpRight, true},   // rises 6
           Case{{74, 65, 98}, kSharpRight, false},  // falls 9 from one pixel to the next
           Case{{74, 66, 98}, kSharpRight, true},   // falls 8
           Case{kSharpLeft, {56, 53, 51}, false},   // the right edge, read backwards, rises 5
       }) {
    setReference(plainFrame(50));
    EXPECT_EQ(reportsTouch(frameWith(stripe(10, c.left, c.right))), c.touch)
        << c.left[0] << "," << c.left[1] << "," << c.left[2] << " / " << c.right[0] << "," << c.right[1] << ","
        << c.right[2];
  }
}

TEST_F(StripePass, ADarkerRegionIsNeverATouch) {
  setReference(plainFrame(200));
  // As sharp a stripe as any, but darker than the reference, above a large dark area.
  Reds dark{188, 176, 164};
  dark.insert(dark.end(), 10, 40);
  dark.insert(dark.end(), {164, 176, 188});
  QImage frame = withRun(plainFrame(200), 30, 20, dark, 10);
  for (int y = 100; y < 200; ++y) frame = withRun(frame, 0, y, Reds(320, 0));
  EXPECT_FALSE(reportsTouch(frame));
  EXPECT_TRUE(f.Picture4.points().empty()) << "no stripe was even measured";
}

TEST_F(StripePass, ATouchRenewsTheReferenceSoTheSameFrameIsNoTouchAgain) {
  std::vector<std::pair<bool, bool>> passes;
  t.system.processing.onPassDone = [&](bool point1, bool point2) { passes.emplace_back(point1, point2); };
  f.Option3[2].setSelected(true);  // dynamic: the pass makes it static first
  const QImage finger = frameWith(stripe(10));
  EXPECT_TRUE(reportsTouch(finger));
  EXPECT_TRUE(f.Option3[3].selected());
  EXPECT_EQ(f.Picture2.image(), finger);
  EXPECT_FALSE(reportsTouch(finger));
  EXPECT_EQ(passes, (std::vector<std::pair<bool, bool>>{{true, false}, {false, false}}));

  // Without a touch the reference stays, unless "动态" is selected again while the pass yields.
  const QImage other = withRun(plainFrame(50), 0, 0, Reds(320, 40));
  EXPECT_FALSE(reportsTouch(other));
  EXPECT_EQ(f.Picture2.image(), finger);
  t.loop.post([this] { f.Option3[2].setSelected(true); });
  EXPECT_FALSE(reportsTouch(other));
  EXPECT_EQ(f.Picture2.image(), other);
}

TEST_F(StripePass, TheStrideIsASixteenBitIntegerHeldToOneToFour) {
  // A finger on row 1 (only a stride of 1 reaches it) and one on row 4, on the stride-4 grid.
  const QImage frame = withRun(frameWith(stripe(10), 30, 1), 101, 4, stripe(10));
  for (const char* typed : {"0.4", "1e9"}) {
    f.Text6.setText(typed);
    setReference(plainFrame(50));
    ASSERT_TRUE(reportsTouch(frame)) << typed;
    EXPECT_EQ(f.Text6.text(), "1") << typed;
    EXPECT_EQ(f.Text5[1].text(), "1") << typed;
  }
  f.Text6.setText("4.4");
  setReference(plainFrame(50));
  ASSERT_TRUE(reportsTouch(frame));
  EXPECT_EQ(f.Text6.text(), "4.4");
  EXPECT_EQ(f.Text5[0].text(), "114");
  EXPECT_EQ(f.Text5[1].text(), "4");
}

}  // namespace
