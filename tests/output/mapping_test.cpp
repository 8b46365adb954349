#include "output/mapping.h"
#include "doubles/recording_pointer.h"

#include "base/text_rules.h"
#include "base/trace.h"
#include "form/errors.h"
#include "support/test_system.h"

#include "support/trace_capture.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace vornix::output {
namespace {

using Event = RecordingPointer::Event;

using testing::TraceCapture;

QString message(int x, int y) {
  return ":::MOUSEX=" + fourDigitText(x) + ",Y=" + fourDigitText(y) + ".";
}

class MappingTest : public ::testing::Test {
protected:
  // What a processing function does with a detected point: the point fields, then the trigger.
  void touch(int x, int y) {
    f.Text5[0].setText(QString::number(x));
    f.Text5[1].setText(QString::number(y));
    f.Text16.setText(message(x, y));
  }
  void touch2(int x, int y) {
    f.Text5[2].setText(QString::number(x));
    f.Text5[3].setText(QString::number(y));
    f.Text18.setText(message(x, y));
  }
  void setRange(const char* left, const char* top, const char* width, const char* height) {
    f.Text3[0].setText(left);
    f.Text3[1].setText(top);
    f.Text3[2].setText(width);
    f.Text3[3].setText(height);
  }
  QString mapped() const { return f.Text8[0].text() + ',' + f.Text8[1].text(); }
  QString mapped2() const { return f.Text8[2].text() + ',' + f.Text8[3].text(); }

  testing::TestSystem ts;
  panel::MAINFRM& f = ts.f;
  Mapping& mapping = ts.system.mapping;
};

struct MapCase {
  int x, y;
  const char* expected;
};

TEST_F(MappingTest, DefaultCalibrationMapsOntoTheRangeAndClampsToItsFarEdge) {
  const MapCase cases[] = {
      {160, 120, "512,384"}, {320, 240, "1024,768"}, {400, 300, "1024,768"}, {1, 239, "3,765"}};
  for (const MapCase& c : cases) {
    touch(c.x, c.y);
    EXPECT_EQ(mapped(), c.expected) << c.x << ',' << c.y;
  }
}

TEST_F(MappingTest, TriggerTextCarriesFourDigitCoordinates) {
  touch(160, 120);
  EXPECT_EQ(f.Text17.text(), ":::MOUSEX=0512,Y=0384.");
}

TEST_F(MappingTest, OriginGoesOutAsZeroOne) {
  touch(0, 0);
  EXPECT_EQ(mapped(), "0,1");
  EXPECT_EQ(f.Text17.text(), ":::MOUSEX=0000,Y=0001.");
}

TEST_F(MappingTest, TiesRoundToEven) {
  setRange("0", "0", "1000", "768");
  touch(4, 100);
  EXPECT_EQ(f.Text8[0].text(), "12");  // 12.5
  touch(12, 100);
  EXPECT_EQ(f.Text8[0].text(), "38");  // 37.5
}

TEST_F(MappingTest, OffsetRangeClampsBelowItsTopLeft) {
  setRange("100", "50", "800", "600");
  touch(0, 0);
  EXPECT_EQ(mapped(), "100,50");
  touch(-10, -10);
  EXPECT_EQ(mapped(), "100,50");
  touch(320, 240);
  EXPECT_EQ(mapped(), "900,650");
}

TEST_F(MappingTest, SecondPointIsBoundedByTwiceTheRange) {
  touch(400, 120);
  touch2(400, 120);
  EXPECT_EQ(mapped(), "1024,384");
  EXPECT_EQ(mapped2(), "1280,384");
  EXPECT_EQ(f.Text19.text(), ":::MOUSEX=1280,Y=0384.");
  touch2(1000, 1000);
  EXPECT_EQ(mapped2(), "2048,1536");
}

TEST_F(MappingTest, SecondPointUsesLowerBoundsOfTheRange) {
  setRange("100", "50", "800", "600");
  touch2(-10, -10);
  EXPECT_EQ(mapped2(), "100,50");
}

TEST_F(MappingTest, CornersSharingAColumnMapEveryPointToTheLeftEdge) {
  f.Text1[3].setText("0");
  touch(200, 120);
  EXPECT_EQ(mapped(), "0,384");
  touch(200, 0);
  EXPECT_EQ(mapped(), "0,1");
  setRange("100", "0", "1024", "768");
  touch(250, 120);
  EXPECT_EQ(mapped(), "100,384");
}

TEST_F(MappingTest, OverflowingStepIsSkippedAndLaterStepsRun) {
  // 320 * 200000 / 320 is beyond 16 bits: x stays 0, y still maps.
  setRange("0", "0", "200000", "768");
  touch(320, 120);
  EXPECT_EQ(mapped(), "0,384");
}

TEST_F(MappingTest, PointOutsideSixteenBitsAbandonsTheHandOver) {
  f.Text5[0].setText("100");
  f.Text5[1].setText("40000");
  EXPECT_THROW(f.Text16.setText(message(100, 40000)), form::OverflowError);
  EXPECT_EQ(mapped(), ",");
  EXPECT_TRUE(f.Text17.text().isEmpty());
  EXPECT_TRUE(ts.pointerEvents.events().empty());
}

TEST_F(MappingTest, HandOverYieldsBeforeReadingThePoint) {
  f.Text5[0].setText("160");
  f.Text5[1].setText("120");
  ts.loop.post([this] { f.Text5[0].setText("320"); });
  f.Text16.setText(message(160, 120));
  EXPECT_EQ(mapped(), "1024,384");
}

TEST_F(MappingTest, MarkersFollowCameraAndMappedPoints) {
  touch(160, 120);
  EXPECT_EQ(f.Label1.position(), QPointF(160, 120));
  EXPECT_EQ(f.Label1.placedInScale(), QRectF(0, 0, 320, 240));
  EXPECT_EQ(f.Label7.position(), QPointF(512, 384));
  EXPECT_EQ(f.Label7.placedInScale(), QRectF(0, 0, 1024, 768));
  touch2(80, 60);
  EXPECT_EQ(f.Label19.position(), QPointF(80, 60));
}

TEST_F(MappingTest, PageFlipModeFeedsTheSwipeMonitor) {
  touch(160, 120);
  EXPECT_TRUE(f.Text20.text().isEmpty());
  f.Label9.setCaption("7");
  touch(80, 120);
  EXPECT_EQ(f.Text20.text(), "256");
  EXPECT_EQ(f.Label22.position().x(), 256);
  EXPECT_EQ(f.Label22.placedInScale(), QRectF(0, 0, 1024, 768));
  EXPECT_EQ(ts.system.dispatch.history()[29], 256);
}

TEST_F(MappingTest, OnePointTracesHandOverMappingThenPointer) {
  f.Check4.setValue(1);
  TraceCapture trace;
  touch(160, 120);
  EXPECT_EQ(trace.lines(),
            QStringList({"touch 160 120", "map 512 384", "cursor 512 384", "mouse click"}));
}

TEST_F(MappingTest, SecondPointTracesItsOwnEvents) {
  TraceCapture trace;
  touch2(400, 120);
  EXPECT_EQ(trace.lines(), QStringList({"touch2 400 120", "map2 1280 384"}));
}

// Corner calibration on the camera preview.

TEST_F(MappingTest, PressWhileFinishedChangesNothing) {
  const double left = f.Shape1[0].left;
  mapping.Picture1_MouseDown(50.5, 60.5);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(f.Text1[i].text(), i < 2 ? "0" : "320");
    EXPECT_EQ(f.Text2[i].text(), i % 2 == 0 ? "0" : "240");
  }
  EXPECT_EQ(f.Shape1[0].left, left);
}

TEST_F(MappingTest, PressSetsTheArmedCornerRoundedDown) {
  f.Option1[0].setSelected(true);
  EXPECT_EQ(f.Option1[0].tag, "0");
  mapping.Picture1_MouseDown(12.7, -0.5);
  EXPECT_EQ(f.Text1[0].text(), "12");
  EXPECT_EQ(f.Text2[0].text(), "-1");
  const form::Shape& marker = f.Shape1[0];
  EXPECT_DOUBLE_EQ(marker.left + marker.width / 2, 12.7);
  EXPECT_DOUBLE_EQ(marker.top + marker.height / 2, -0.5);

  // The step stays armed: the next press overwrites the same corner.
  mapping.Picture1_MouseDown(20, 30);
  EXPECT_EQ(f.Text1[0].text(), "20");
  EXPECT_EQ(f.Text2[0].text(), "30");
}

TEST_F(MappingTest, CalibratedCornersTakeEffectWithTheNextPoint) {
  f.Option1[0].setSelected(true);
  mapping.Picture1_MouseDown(20, 10);
  f.Option1[3].setSelected(true);
  mapping.Picture1_MouseDown(300.9, 210.2);
  EXPECT_EQ(f.Text1[3].text(), "300");
  EXPECT_EQ(f.Text2[3].text(), "210");
  touch(160, 110);
  EXPECT_EQ(mapped(), "512,384");
}

TEST_F(MappingTest, FinishingPlacesTheCentreMarker) {
  f.Option1[3].setSelected(true);
  f.Option1[4].setSelected(true);
  EXPECT_EQ(f.Option1[0].tag, "4");
  const form::Shape& centre = f.Shape1[4];
  EXPECT_DOUBLE_EQ(centre.left, 160 - centre.width / 2);
  EXPECT_DOUBLE_EQ(centre.top, 120 - centre.height / 2);
  mapping.Picture1_MouseDown(5, 5);
  EXPECT_EQ(f.Text1[3].text(), "320");
}

// 梯形校正 ------------------------------------------------------------------------------------

// A camera looking up at the picture: a symmetric trapezoid, 160 wide at the top (y = 30) and
// 320 at the bottom (y = 210), as if the operator had clicked its corners.
class TrapezoidTest : public MappingTest {
protected:
  void SetUp() override {
    f.Option2[1].setSelected(true);
    const int corners[4][2] = {{80, 30}, {0, 210}, {240, 30}, {320, 210}};
    for (std::size_t i = 0; i < 4; ++i) {
      f.Option1[i].setSelected(true);
      mapping.Picture1_MouseDown(corners[i][0], corners[i][1]);
    }
    f.Option1[4].setSelected(true);
  }
};

TEST_F(TrapezoidTest, TakesTheFourCornersOntoTheRangeByPerspective) {
  // Width across the trapezoid at camera row y: w = 160 + (y - 30) * 160 / 180. Rows stay rows,
  // so screen x = 1024 * (x - left edge) / w, and screen y = k * (y - 30) / w with k fixed by
  // the bottom row (768 = k * 180 / 320, k = 4096 / 3).
  const MapCase cases[] = {
      {80, 30, "0,1"},        // top-left corner: (0, 0), which goes out as (0, 1)
      {240, 30, "1024,0"},    // top-right corner
      {0, 210, "0,768"},      // bottom-left corner
      {320, 210, "1024,768"}, // bottom-right corner
      {160, 30, "512,0"},     // middle of the top edge (the axis of symmetry)
      {160, 90, "512,384"},   // the diagonals cross a third of the way down (top:bottom = 1:2)
      {40, 120, "0,512"},     // row 120: w = 240, left edge at 40; y = 4096/3 * 90 / 240 = 512
      {100, 120, "256,512"},  // a quarter of the 240 across row 120
      {360, 120, "1024,512"}, // x = 1024 * 320 / 240 = 1365.3, clamped to the range
  };
  for (const MapCase& c : cases) {
    touch(c.x, c.y);
    EXPECT_EQ(mapped(), c.expected) << c.x << ',' << c.y;
  }
  touch2(360, 120);  // the second point is bounded by twice the width: 1365.3 rounds to 1365
  EXPECT_EQ(mapped2(), "1365,512");
  EXPECT_TRUE(ts.dialogs.messages.empty());
}

TEST_F(TrapezoidTest, CornersOneAndTwoCanBeSetOnlyWhileItIsSelected) {
  for (form::Control* c : std::initializer_list<form::Control*>{&f.Text1[1], &f.Text2[2], &f.Option1[1], &f.Option1[2]})
    EXPECT_TRUE(c->operable()) << c->fullName().toStdString();
  f.Option1[2].setSelected(true);
  f.Option2[0].setSelected(true);  // leaving it disarms corner 2
  EXPECT_TRUE(f.Option1[4].selected());
  for (form::Control* c : std::initializer_list<form::Control*>{&f.Text1[1], &f.Text2[2], &f.Option1[1], &f.Option1[2]})
    EXPECT_FALSE(c->operable()) << c->fullName().toStdString();
  touch(160, 90);  // rectangular again: (160 - 80) * 1024 / 240 = 341.3 across, (90 - 30) * 768 / 180 down
  EXPECT_EQ(mapped(), "341,256");
}

TEST_F(TrapezoidTest, CornersThatAreNotConvexAreRefusedAtFinish) {
  // Bottom-left clicked inside the triangle of the other three: a dent, no convex outline.
  f.Option1[1].setSelected(true);
  mapping.Picture1_MouseDown(200, 100);
  f.Option1[4].setSelected(true);
  ASSERT_EQ(ts.dialogs.messages.size(), 1u);
  EXPECT_EQ(ts.dialogs.messages[0], "四个校正点不构成凸四边形，映射算法恢复为矩形校正");
  EXPECT_TRUE(f.Option2[0].selected());
  EXPECT_FALSE(f.Option1[1].operable());
  touch(160, 90);  // the rectangle of corners 0 and 3, as above
  EXPECT_EQ(mapped(), "341,256");
}

}  // namespace
}  // namespace vornix::output

namespace vornix::output {
namespace {

// A 3 x 3 grid whose middle row the lens has pushed 20 pixels right: every cell is a
// parallelogram, so a point's place in its cell is worked out by hand.
TEST_F(MappingTest, TheGridMapsEachCellOntoItsPartOfTheRange) {
  f.calibrationGrid = {3, 3, {{0, 0}, {160, 0}, {320, 0}, {20, 120}, {180, 120}, {340, 120}, {0, 240}, {160, 240}, {320, 240}}};
  f.Option2[2].setEnabled(true);
  f.Option2[2].setSelected(true);
  const MapCase cases[] = {
      {90, 60, "256,192"},    // (0, 0) + 1/2 (160, 0) + 1/2 (20, 120)
      {100, 180, "288,576"},  // (20, 120) + 9/16 (160, 0) + 1/2 (-20, 120)
      {340, 120, "1024,384"}, // a grid point lands on its point of the range
      {0, 0, "0,1"},          // the origin never goes out
      {400, 300, "1024,768"}, // beyond the grid: the nearest cell, clamped to the range
  };
  for (const MapCase& c : cases) {
    touch(c.x, c.y);
    EXPECT_EQ(mapped(), c.expected) << c.x << ',' << c.y;
  }
}

}  // namespace
}  // namespace vornix::output
