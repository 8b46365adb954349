// TUIO cursors follow the passes: what each pass found, not what reached the pointer.

#include "../engine/drawn_frames.h"
#include "support/recording_tuio.h"
#include "support/trace_capture.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace vornix::system {
namespace {

using testing::plainFrame;
using testing::withDots;
using Ids = std::vector<std::vector<qint32>>;

class TuioFromThePasses : public ::testing::Test {
protected:
  TuioFromThePasses() {
    f.Text6.setText("1");
    f.Option3[3].setSelected(true);  // static reference: a finger held still is seen every pass
    f.Picture1.setImage(plainFrame(50));
    f.Command7.click();
  }
  // The next main tick: one pass of processing function 0 (mode 1 at start) over frame.
  void passOver(const QImage& frame) {
    t.camera.frames.push_back(frame);
    t.loop.advance(50);
  }
  // Default calibration and range (0, 0, 1024, 768): camera (x, y) lands at x / 320, y / 240.
  static QImage fingerAt(int x, int y) { return withDots(plainFrame(50), {{x, y, 250}}); }

  testing::TuioTestSystem t;
  panel::MAINFRM& f = t.f;
};

TEST_F(TuioFromThePasses, ACursorThatLiftsAndTouchesAgainGetsANewSessionId) {
  passOver(fingerAt(80, 120));
  passOver(fingerAt(160, 60));
  passOver(plainFrame(50));
  passOver(fingerAt(160, 60));
  EXPECT_EQ(t.tuio.aliveLists(), (Ids{{1}, {1}, {}, {2}}));
  const output::TuioCursor& moved = t.tuio.bundles[1].cursors.at(0);
  EXPECT_EQ(moved.x, 0.5f);
  EXPECT_EQ(moved.y, 0.25f);
  EXPECT_FLOAT_EQ(moved.vx, 0.25f / 0.05f);  // a quarter of the width in one 50 ms tick
}

TEST_F(TuioFromThePasses, AFingerHeldStillStaysAliveThoughItsUnchangedPointRunsNoHandler) {
  testing::TraceCapture trace;
  for (int i = 0; i < 10; ++i) passOver(fingerAt(80, 120));
  EXPECT_EQ(trace.lines().filter(QRegularExpression("^map ")).size(), 1);
  EXPECT_EQ(t.tuio.aliveLists(), Ids(10, {1}));
  for (const output::TuioBundle& bundle : t.tuio.bundles) {
    EXPECT_EQ(bundle.cursors.at(0).x, 0.25f);
    EXPECT_EQ(bundle.cursors.at(0).vx, 0.0f);
  }
  EXPECT_EQ(t.tuio.bundles.back().fseq, 10);
}

TEST_F(TuioFromThePasses, TwoPointPassesBringASecondCursorThatCanLeaveAlone) {
  // What the two-point pass leaves behind: Label20 counts the points, Text8 holds them mapped.
  const auto twoPointPass = [&](bool rowFound, const char* points) {
    t.loop.spend(50);
    f.Label20.setCaption(points);
    t.system.processing.twoPointPassDone(rowFound);
  };
  f.Text8[0].setText("256");
  f.Text8[1].setText("384");
  f.Text8[2].setText("768");
  f.Text8[3].setText("384");
  twoPointPass(true, "2");
  twoPointPass(true, "2");
  twoPointPass(true, "1");
  twoPointPass(false, "1");  // no differing row: Label20 keeps its caption, nothing is found
  twoPointPass(true, "0");
  twoPointPass(true, "2");
  EXPECT_EQ(t.tuio.aliveLists(), (Ids{{1, 2}, {1, 2}, {1}, {}, {}, {3, 4}}));
  const output::TuioBundle& both = t.tuio.bundles[0];
  EXPECT_EQ(both.cursors[0].x, 0.25f);
  EXPECT_EQ(both.cursors[1].x, 0.75f);
  EXPECT_EQ(both.cursors[1].y, 0.5f);
}

TEST_F(TuioFromThePasses, ATickThatRunsNoPassSendsNoBundle) {
  f.Option4[4].setSelected(true);  // no frame yet: the laser pass ends before it looks
  t.loop.advance(500);
  EXPECT_TRUE(t.tuio.bundles.empty());
  f.Option4[0].setSelected(true);
  t.camera.frames.push_back(fingerAt(80, 120));
  t.loop.advance(50);
  EXPECT_EQ(t.tuio.aliveLists(), (Ids{{1}}));
}

}  // namespace
}  // namespace vornix::system
