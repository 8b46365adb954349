// Processing function 6 (two-point touch) through the panel: Command9 on frames drawn here, over
// a plain reference of red 50 with the threshold 60, stride 1 unless a test says otherwise.

#include "drawn_frames.h"
#include "support/test_system.h"
#include "support/trace_capture.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <algorithm>
#include <ostream>
#include <vector>

using vornix::testing::CameraTestSystem;
using vornix::testing::plainFrame;
using vornix::testing::TraceCapture;
using vornix::testing::withDots;
using vornix::testing::withRun;

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

constexpr int kTop = 100;  // the fingertips' row

// Fingers pointing up into the picture: a tip of one pixel on row top above the third column,
// then five columns wide from each left edge down to row top + 15 or the bottom of the picture.
QImage withFingers(QImage frame, std::initializer_list<int> lefts, int top = kTop, int width = 5) {
  const int rows = std::min(15, frame.height() - top - 1);
  for (const int left : lefts) {
    frame = withDots(frame, {{left + 2, top, 255}});
    frame = withRun(frame, left, top + 1, std::vector<int>(width, 255), rows);
  }
  return frame;
}

class TwoPointPass : public ::testing::Test {
protected:
  TwoPointPass() {
    f.Text6.setText("1");
    f.Option3[3].setSelected(true);
    f.Picture1.setImage(plainFrame(50));
    f.Command7.click();
  }
  void passOver(const QImage& frame) {
    t.camera.frames.push_back(frame);
    f.Command9.click();
  }
  // The points handed over, as the trace names them.
  QStringList handedOver() const {
    QStringList points;
    for (const QString& line : trace.lines())
      if (line.startsWith("touch")) points << line;
    return points;
  }

  CameraTestSystem t;
  vornix::panel::MAINFRM& f = t.f;
  TraceCapture trace;
};

TEST_F(TwoPointPass, TwoFingersSixtyColumnsApartAreTwoPoints) {
  passOver(withFingers(plainFrame(50), {40, 100}));
  EXPECT_EQ(f.Label20.caption(), "2");
  EXPECT_EQ(f.Label21.caption(), "5");
  // The points are the left edges on the examined row, reported on the fingertips' row ...
  EXPECT_EQ(f.Text5[0].text(), "40");
  EXPECT_EQ(f.Text5[1].text(), "100");
  EXPECT_EQ(f.Text5[2].text(), "100");
  EXPECT_EQ(f.Text5[3].text(), "100");
  EXPECT_EQ(handedOver(), (QStringList{"touch 40 100", "touch2 100 100"}));
  // ... and both messages carry the first differing sample, the tip of the left finger.
  EXPECT_EQ(f.Text16.text(), ":::MOUSEX=0042,Y=0100.");
  EXPECT_EQ(f.Text18.text(), ":::MOUSEX=0042,Y=0100.");
}

TEST_F(TwoPointPass, ASecondFingerWithinThirtyColumnsIsNoSecondPoint) {
  passOver(withFingers(plainFrame(50), {40, 71}));
  EXPECT_EQ(f.Label20.caption(), "2");
  f.Label21.setCaption("0");

  f.Text5[2].setText("none");
  passOver(withFingers(plainFrame(50), {40, 70}));
  EXPECT_EQ(f.Label20.caption(), "1");
  EXPECT_EQ(f.Label21.caption(), "0");
  EXPECT_EQ(f.Text5[2].text(), "none");
  // The search goes on past every first point without a second one; the last of them stays.
  EXPECT_EQ(f.Text5[0].text(), "73");
}

TEST_F(TwoPointPass, AWindowOfFifteenFlagsOrOfOneIsNoFinger) {
  // A shadow 15 columns wide: its first column's window holds 15 flags, the next one's 14.
  passOver(withFingers(plainFrame(50), {40}, kTop, 15));
  EXPECT_EQ(handedOver(), QStringList{"touch 41 100"});

  // A lone flagged column: a differing row, but no point.
  f.Label20.setCaption("1");
  passOver(withRun(plainFrame(50), 200, kTop, {255}, 16));
  EXPECT_EQ(f.Label20.caption(), "0");
  EXPECT_EQ(handedOver(), QStringList{"touch 41 100"});
}

// A window past the picture's last column counts the columns there as that column is: a finger
// that ends before it keeps its 5 flags ...
TEST_F(TwoPointPass, AFingerAtTheRightEdgeIsAPoint) {
  passOver(withFingers(plainFrame(50), {310}));
  EXPECT_EQ(f.Label20.caption(), "1");
  EXPECT_EQ(handedOver(), QStringList{"touch 310 100"});
}

// ... while an arm reaching in from the right is as wide past the edge as at it: no window on it
// holds fewer than 15 flags.
TEST_F(TwoPointPass, AnArmFromTheRightEdgeIsNoPoint) {
  passOver(withRun(plainFrame(50), 280, kTop, std::vector<int>(40, 255), 30));
  EXPECT_EQ(f.Label20.caption(), "0");
  EXPECT_TRUE(handedOver().isEmpty());
}

// The first differing sample is a flicker that stays put above the fingers, so every pass
// makes the same message; the fingers move, and each pass still moves both pointers and makes
// a scale message of its own.
TEST_F(TwoPointPass, AFlickerAboveMovingFingersHandsBothPointsOverOnEveryPass) {
  const QImage flicker = withDots(plainFrame(50), {{20, kTop - 5, 255}});
  passOver(withFingers(flicker, {40, 100}, kTop - 3));
  for (const auto& [left, right] : {std::pair(60, 140), std::pair(50, 160), std::pair(40, 100)}) {
    const qsizetype before = trace.lines().size();
    passOver(withFingers(flicker, {left, right}, kTop - 3));
    const QStringList lines = trace.lines().mid(before);
    const std::string shown = lines.join(" | ").toStdString();
    EXPECT_EQ(f.Text16.text(), ":::MOUSEX=0020,Y=0095.");
    EXPECT_TRUE(lines.contains(QString("touch %1 95").arg(left))) << shown;
    EXPECT_TRUE(lines.contains(QString("touch2 %1 95").arg(right))) << shown;
    EXPECT_EQ(lines.filter(QRegularExpression("^scale ")).size(), 1) << shown;
  }
}

TEST_F(TwoPointPass, WithoutADifferingSampleNothingIsWritten) {
  f.Label20.setCaption("1");
  f.Picture4.plot(5, 5);
  passOver(plainFrame(50));
  EXPECT_EQ(f.Label20.caption(), "1");
  EXPECT_EQ(f.Picture4.points(), std::vector<QPoint>{QPoint(5, 5)});
  EXPECT_TRUE(handedOver().isEmpty());
}

TEST_F(TwoPointPass, TheExaminedRowFiveBelowMustLieInThePicture) {
  passOver(withFingers(plainFrame(50), {40, 100}, 234));  // examined row 239
  EXPECT_EQ(f.Label20.caption(), "2");
  EXPECT_EQ(f.Picture4.points().size(), 10u);

  passOver(withFingers(plainFrame(50), {40, 100}, 235));  // examined row 240
  EXPECT_EQ(f.Label20.caption(), "0");
  EXPECT_TRUE(f.Picture4.points().empty());
  EXPECT_EQ(handedOver(), (QStringList{"touch 40 234", "touch2 100 234"}));
}

// Columns 0, 2.5, 5, 7.5, 10, 12.5 read the pixel columns 0, 2, 5, 8, 10, 12: of the samples
// differing at 3, 7 and 12 only the last is read, and 12.5 goes into the message as 12.
TEST_F(TwoPointPass, AFractionalStrideReadsTheColumnsRoundedHalfToEven) {
  f.Text6.setText("2.5");
  passOver(withFingers(withDots(plainFrame(50), {{3, kTop, 255}, {7, kTop, 255}, {12, kTop, 255}}), {40}));
  EXPECT_EQ(f.Text6.text(), "2.5");
  EXPECT_EQ(f.Text16.text(), ":::MOUSEX=0012,Y=0100.");
  EXPECT_EQ(handedOver(), QStringList{"touch 40 100"});
}

}  // namespace
