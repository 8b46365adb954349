#include "drawn_frames.h"
#include "doubles/recording_pointer.h"
#include "support/test_system.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

using vornix::output::RecordingPointer;
using vornix::testing::CameraTestSystem;
using vornix::testing::plainFrame;
using vornix::testing::withDots;
using vornix::testing::withPatch;

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

using Event = RecordingPointer::Event;

class SingleTouchPass : public ::testing::Test {
protected:
  SingleTouchPass() {
    f.Text6.setText("1");            // every column and row, unless a test says otherwise
    f.Option3[3].setSelected(true);  // static reference, unless a test says otherwise
    setReference(plainFrame(50));
  }

  // Makes frame the reference, as the operator's "设置基准" does.
  void setReference(const QImage& frame) {
    f.Picture1.setImage(frame);
    f.Command7.click();
  }
  // One pass of processing function 0 over frame.
  void passOver(const QImage& frame) {
    t.camera.frames.push_back(frame);
    f.Command2.click();
  }
  // Runs a pass and tells whether it reported a touch (Text5 is rewritten only by a touch).
  bool reportsTouch(const QImage& frame) {
    f.Text5[0].setText("none");
    passOver(frame);
    return f.Text5[0].text() != "none";
  }
  // The button presses and releases injected so far.
  std::vector<Event> buttonEvents() const { return t.pointerEvents.buttonEvents(); }
  void holdButton() {
    f.Check7.setValue(1);
    f.Label14.setCaption("1");
  }

  CameraTestSystem t;
  vornix::panel::MAINFRM& f = t.f;
};

TEST_F(SingleTouchPass, IdenticalFramesReleaseAHeldButtonExactlyOnce) {
  holdButton();
  passOver(plainFrame(50));
  EXPECT_EQ(f.Label14.caption(), "0");
  EXPECT_EQ(buttonEvents(), std::vector<Event>{Event::release()});
  passOver(plainFrame(50));
  EXPECT_EQ(buttonEvents(), std::vector<Event>{Event::release()});
  EXPECT_EQ(f.Text16.text(), "");
  EXPECT_EQ(f.Label2.caption(), "0");
}

TEST_F(SingleTouchPass, ADifferenceEqualToTheThresholdIsNoTouch) {
  f.Text4.setText("60");
  EXPECT_FALSE(reportsTouch(withDots(plainFrame(50), {{30, 40, 110}})));
  EXPECT_FALSE(reportsTouch(withDots(plainFrame(50), {{30, 40, 0}})));  // |0 - 50| <= 60
  EXPECT_TRUE(reportsTouch(withDots(plainFrame(50), {{30, 40, 111}})));
  EXPECT_EQ(f.Label2.caption(), "61");
}

TEST_F(SingleTouchPass, ADarkerSampleCountsWithANegativeDifference) {
  setReference(plainFrame(200));
  f.Text4.setText("60");
  EXPECT_TRUE(reportsTouch(withDots(plainFrame(200), {{30, 40, 139}})));
  EXPECT_EQ(f.Label2.caption(), "-61");
}

TEST_F(SingleTouchPass, TheUpperOfTwoTouchesWins) {
  passOver(withPatch(plainFrame(50), 10, 20, {
      "..........#",  // row 20: right, but higher
      "#..........",  // row 21
  }));
  EXPECT_EQ(f.Text5[0].text(), "20");
  EXPECT_EQ(f.Text5[1].text(), "20");
}

TEST_F(SingleTouchPass, TheLeftOfTwoTouchesOnOneRowWins) {
  passOver(withPatch(plainFrame(50), 10, 20, {
      "...#.....#",  // row 20: columns 13 and 19
  }));
  EXPECT_EQ(f.Text5[0].text(), "13");
  EXPECT_EQ(f.Text5[1].text(), "20");
  EXPECT_EQ(f.Label2.caption(), "205");
}

TEST_F(SingleTouchPass, ATouchIsHandedOverAfterItsCoordinates) {
  QString x, y;
  f.Text16.onChange = [&] {
    x = f.Text5[0].text();
    y = f.Text5[1].text();
  };
  passOver(withDots(plainFrame(50), {{100, 201, 250}}));
  EXPECT_EQ(f.Text16.text(), ":::MOUSEX=0100,Y=0201.");
  EXPECT_EQ(x, "100");
  EXPECT_EQ(y, "201");
  EXPECT_EQ(f.Label2.caption(), "200");
}

TEST_F(SingleTouchPass, StrideIsClampedAndWrittenBack) {
  // A pass without a touch yields once, then once per sampled row: rows 0..240 by the stride.
  struct Case {
    const char* typed;
    const char* shown;
    int rows;
  };
  for (const Case& c : {Case{"0", "1", 241}, Case{"abc", "1", 241}, Case{"-3", "1", 241},
                        Case{"9", "4", 61}, Case{"2.5", "2.5", 121}, Case{"3.5", "3.5", 61},
                        Case{"3", "3", 81}}) {
    f.Text6.setText(c.typed);
    const int before = t.loop.yields();
    passOver(plainFrame(50));
    EXPECT_EQ(f.Text6.text(), c.shown) << c.typed;
    EXPECT_EQ(t.loop.yields() - before, 1 + c.rows) << c.typed;
  }
}

TEST_F(SingleTouchPass, StrideAppliesToColumnsFromTheFirstColumn) {
  f.Text6.setText("2.5");  // stride 2
  f.Text1[0].setText("1");
  f.Text2[0].setText("1");
  const QImage frame = withDots(plainFrame(50), {{2, 1, 255}, {5, 1, 255}});
  EXPECT_TRUE(reportsTouch(frame));
  EXPECT_EQ(f.Text5[0].text(), "5");  // columns 1, 3, 5: column 2 lies between samples
}

TEST_F(SingleTouchPass, AnEmptyColumnRangeSamplesNothingAndStillReleases) {
  holdButton();
  f.Text1[0].setText("200");
  f.Text1[3].setText("100");
  passOver(plainFrame(255));
  EXPECT_EQ(f.Text16.text(), "");
  EXPECT_EQ(buttonEvents(), std::vector<Event>{Event::release()});
}

TEST_F(SingleTouchPass, AFieldBeyondSixteenBitsCountsAsZeroForThePass) {
  f.Text2[3].setText("40000");  // last row 0: only row 0 is scanned
  EXPECT_FALSE(reportsTouch(withDots(plainFrame(50), {{5, 1, 255}})));
  EXPECT_TRUE(reportsTouch(withDots(plainFrame(50), {{5, 0, 255}})));
  f.Text2[3].setText("240");
  f.Text4.setText("1e9");  // threshold 0: any difference is a touch
  EXPECT_TRUE(reportsTouch(withDots(plainFrame(50), {{7, 9, 51}})));
  EXPECT_EQ(f.Text5[0].text(), "7");
}

TEST_F(SingleTouchPass, ScanningBeyondThePictureFindsNothingThere) {
  f.Text1[0].setText("-32768");
  f.Text1[3].setText("32767");
  f.Text2[0].setText("-2");
  f.Text2[3].setText("1000");
  f.Text6.setText("4");
  EXPECT_FALSE(reportsTouch(plainFrame(50)));
  EXPECT_TRUE(reportsTouch(withDots(plainFrame(50), {{316, 238, 255}})));  // on the grid from -32768
  EXPECT_EQ(f.Text16.text(), ":::MOUSEX=0316,Y=0238.");
}

TEST_F(SingleTouchPass, DragPressesOnceAndReleasesOnceOverAStroke) {
  f.Check7.setValue(1);
  passOver(withDots(plainFrame(50), {{10, 10, 255}}));
  passOver(withDots(plainFrame(50), {{20, 12, 255}}));
  passOver(withDots(plainFrame(50), {{30, 14, 255}}));
  EXPECT_EQ(f.Label14.caption(), "1");
  passOver(plainFrame(50));
  passOver(plainFrame(50));
  EXPECT_EQ(f.Label14.caption(), "0");
  EXPECT_EQ(buttonEvents(), (std::vector<Event>{Event::press(), Event::release()}));
}

TEST_F(SingleTouchPass, ClearingTheDragSwitchKeepsTheButtonHeld) {
  f.Check7.setValue(1);
  passOver(withDots(plainFrame(50), {{10, 10, 255}}));
  f.Check7.setValue(0);
  passOver(plainFrame(50));
  EXPECT_EQ(f.Label14.caption(), "1");
  EXPECT_EQ(buttonEvents(), std::vector<Event>{Event::press()});
}

TEST_F(SingleTouchPass, ADynamicReferenceForgetsAFingerHeldStill) {
  f.Option3[2].setSelected(true);
  const QImage finger = withDots(plainFrame(50), {{60, 70, 255}});
  EXPECT_TRUE(reportsTouch(finger));
  EXPECT_FALSE(reportsTouch(finger));
  EXPECT_TRUE(reportsTouch(plainFrame(50)));  // lifting it changes the picture again
}

TEST_F(SingleTouchPass, AStaticReferenceKeepsReportingAFingerHeldStill) {
  const QImage finger = withDots(plainFrame(50), {{60, 70, 255}});
  EXPECT_TRUE(reportsTouch(finger));
  EXPECT_TRUE(reportsTouch(finger));
}

// A camera slower than the tick: a tick that finds no new frame runs no pass, so a drag is not
// released, nothing is detected and the reference stays.
TEST_F(SingleTouchPass, WithoutANewFrameThereIsNoPass) {
  f.Option3[2].setSelected(true);
  f.Check7.setValue(1);
  const QImage finger = withDots(plainFrame(50), {{60, 70, 255}});
  passOver(finger);
  ASSERT_EQ(f.Label14.caption(), "1");
  f.Text5[0].setText("none");
  f.Command2.click();  // no frame queued
  EXPECT_EQ(f.Text5[0].text(), "none");
  EXPECT_EQ(f.Label14.caption(), "1");
  EXPECT_EQ(buttonEvents(), std::vector<Event>{Event::press()});
  EXPECT_EQ(f.Picture2.image(), finger);
}

// A drag does not outlive the camera: a second without a new frame lets go of the button once.
TEST_F(SingleTouchPass, ASecondWithoutFramesLetsGoOfAHeldButton) {
  f.Check7.setValue(1);
  passOver(withDots(plainFrame(50), {{60, 70, 255}}));
  ASSERT_EQ(f.Label14.caption(), "1");
  t.loop.spend(999);
  f.Command2.click();
  EXPECT_EQ(f.Label14.caption(), "1");
  t.loop.spend(1);
  f.Command2.click();
  f.Command2.click();
  EXPECT_EQ(f.Label14.caption(), "0");
  EXPECT_EQ(buttonEvents(), (std::vector<Event>{Event::press(), Event::release()}));
}

// A frame of another size is scaled to the capture size: the picture ends at column 319.
TEST_F(SingleTouchPass, AFrameOfAnotherSizeIsScaledToTheCaptureSize) {
  QImage wide(640, 480, QImage::Format_RGB32);
  wide.fill(qRgb(50, 50, 50));
  for (int y = 0; y < 480; ++y) wide.setPixel(500, y, qRgb(255, 255, 255));  // column 250 once scaled
  f.Text1[3].setText("639");
  passOver(wide);
  EXPECT_EQ(f.Picture1.image().size(), QSize(320, 240));
  EXPECT_EQ(f.Text5[0].text(), "250");
}

// Ending the program while a pass yields ends the pass there: the rest of it runs no more,
// nothing is injected, and the held button is let go exactly once.
TEST_F(SingleTouchPass, EndingTheProgramDuringAYieldEndsThePass) {
  f.Check7.setValue(1);
  f.Check1.setValue(1);
  passOver(withDots(plainFrame(50), {{10, 10, 255}}));
  ASSERT_EQ(f.Label14.caption(), "1");
  t.pointerEvents.clear();

  f.Text5[0].setText("before");
  t.loop.post([this] { f.Command3.click(); });  // runs at the pass's first yield
  passOver(withDots(plainFrame(50), {{20, 12, 255}}));
  EXPECT_EQ(t.loop.quitStatus(), 0);
  EXPECT_EQ(f.Text5[0].text(), "before");
  EXPECT_EQ(t.pointerEvents.events(), std::vector<Event>{Event::release()});
  EXPECT_EQ(t.camera.frames.size(), 1u) << "the pass took no frame";
}

TEST_F(SingleTouchPass, EndingTheProgramDuringTheHandOverInjectsNothing) {
  f.Check7.setValue(1);
  f.Check1.setValue(1);
  f.Check4.setValue(1);
  f.Text5[1].onChange = [this] { t.loop.post([this] { f.Command3.click(); }); };  // runs in the hand-over's yield
  passOver(withDots(plainFrame(50), {{20, 12, 255}}));
  EXPECT_EQ(t.loop.quitStatus(), 0);
  EXPECT_EQ(f.Text5[0].text(), "20") << "the touch was found before the request";
  EXPECT_TRUE(t.pointerEvents.events().empty()) << "no move, click or press after the request";
  EXPECT_EQ(f.Label14.caption(), "0");
}

TEST_F(SingleTouchPass, TheSlotIsClearedAfterEveryGrab) {
  passOver(withDots(plainFrame(50), {{60, 70, 255}}));
  EXPECT_TRUE(t.system.frameSlot.empty());
  EXPECT_EQ(t.camera.grabs, 1);
}

TEST(FirstPass, TheFirstFrameBecomesTheReferenceAndReportsNoTouch) {
  CameraTestSystem t;
  t.f.Option3[3].setSelected(true);
  EXPECT_FALSE(t.f.Picture2.hasImage());
  const QImage first = withDots(plainFrame(90), {{5, 5, 255}});
  t.camera.frames.push_back(first);
  t.f.Command2.click();
  EXPECT_EQ(t.f.Picture2.image(), first);
  EXPECT_EQ(t.f.Text16.text(), "");
  t.camera.frames.push_back(first);
  t.f.Command2.click();
  EXPECT_EQ(t.f.Text16.text(), "");
}

TEST(FirstPass, WithoutAnyFrameThereIsStillNoReferenceAndNoTouch) {
  CameraTestSystem t;
  t.f.Command2.click();
  EXPECT_FALSE(t.f.Picture1.hasImage());
  EXPECT_FALSE(t.f.Picture2.hasImage());
  EXPECT_EQ(t.f.Text16.text(), "");
}

// The fields and button events a pass leaves behind.
struct PassOutcome {
  QString x, y, message, difference, held;
  std::vector<RecordingPointer::Event> events;
  bool operator==(const PassOutcome&) const = default;
};

PassOutcome runPasses(bool functionSeven) {
  CameraTestSystem t;
  t.f.Text6.setText("1");
  t.f.Check7.setValue(1);
  // Dynamic reference: the finger is seen when it comes, not while it stays, again when it goes.
  const QImage finger = withDots(plainFrame(50), {{100, 201, 250}});
  const std::vector<QImage> frames = {plainFrame(50), finger, finger, plainFrame(50)};
  PassOutcome outcome;
  for (const QImage& frame : frames) {
    t.camera.frames.push_back(frame);
    (functionSeven ? t.f.Command10 : t.f.Command2).click();
    outcome.x += t.f.Text5[0].text() + ";";
    outcome.y += t.f.Text5[1].text() + ";";
    outcome.message += t.f.Text16.text() + ";";
    outcome.difference += t.f.Label2.caption() + ";";
    outcome.held += t.f.Label14.caption() + ";";
  }
  outcome.events = t.pointerEvents.events();
  return outcome;
}

TEST(FunctionSeven, WritesExactlyWhatFunctionZeroWrites) {
  const PassOutcome zero = runPasses(false);
  EXPECT_EQ(zero.difference, "0;200;200;-200;");
  EXPECT_EQ(zero.held, "0;1;0;1;");
  EXPECT_EQ(runPasses(true), zero);
}

}  // namespace

namespace {

// Under 梯形校正 the pass looks inside the quadrilateral of the four corners only: a visitor
// beside the projected trapezoid moves nothing, whatever rectangle corners 0 and 3 span.
TEST_F(SingleTouchPass, UnderACorrectionOnlyTheCalibratedAreaIsWatched) {
  const char* corners[4][2] = {{"100", "20"}, {"20", "220"}, {"220", "20"}, {"300", "220"}};
  for (std::size_t i = 0; i < 4; ++i) {
    f.Text1[i].setText(corners[i][0]);
    f.Text2[i].setText(corners[i][1]);
  }
  f.Option2[1].setSelected(true);
  EXPECT_FALSE(reportsTouch(withDots(plainFrame(50), {{40, 40, 250}})));   // beside the wide end
  EXPECT_FALSE(reportsTouch(withDots(plainFrame(50), {{310, 120, 250}}))); // right of corner 3
  EXPECT_TRUE(reportsTouch(withDots(plainFrame(50), {{160, 120, 250}})));
  EXPECT_EQ(f.Text5[0].text(), "160");
  f.Option2[0].setSelected(true);  // the rectangle of corners 0 and 3 again
  EXPECT_TRUE(reportsTouch(withDots(plainFrame(50), {{280, 40, 250}})));
}

}  // namespace
