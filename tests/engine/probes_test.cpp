#include "drawn_frames.h"
#include "support/test_system.h"

#include <gtest/gtest.h>

#include <ostream>

using vornix::testing::plainFrame;
using vornix::testing::TestSystem;
using vornix::testing::withDots;

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

class Probe : public ::testing::Test {
protected:
  TestSystem t;
  vornix::panel::MAINFRM& f = t.f;
  vornix::engine::Probes& probes = t.system.probes;
};

TEST_F(Probe, ShowsPositionAndRedComponentOfTheCurrentFrame) {
  f.Picture1.setImage(withDots(plainFrame(50), {{10, 20, 200}}));
  probes.Picture1_MouseMove(0, 0, 10, 20);
  EXPECT_EQ(f.Label3.caption(), "x=10,Y=20,P=200");
}

TEST_F(Probe, AFractionalPositionReadsThePixelItLiesIn) {
  f.Picture1.setImage(withDots(plainFrame(50), {{10, 20, 200}}));
  probes.Picture1_MouseMove(1, 0, 10.75f, 20.5f);
  EXPECT_EQ(f.Label3.caption(), "x=10.75,Y=20.5,P=200");
  probes.Picture1_MouseMove(0, 0, 0.1f, 0);
  EXPECT_EQ(f.Label3.caption(), "x=0.1,Y=0,P=50");  // shortest single-precision text
}

TEST_F(Probe, OutsideThePictureReadsMinusOne) {
  f.Picture1.setImage(plainFrame(50));
  probes.Picture1_MouseMove(0, 0, 320, 5);
  EXPECT_EQ(f.Label3.caption(), "x=320,Y=5,P=-1");
  probes.Picture1_MouseMove(0, 0, -0.5f, 5);
  EXPECT_EQ(f.Label3.caption(), "x=-0.5,Y=5,P=-1");
  probes.Picture2_MouseMove(0, 0, 5, 5);  // no reference yet
  EXPECT_EQ(f.Label3.caption(), "x=5,Y=5,P=-1");
}

TEST_F(Probe, TheDrawingPaneShowsTheCurrentFrameUnderItsPoints) {
  f.Picture1.setImage(withDots(plainFrame(50), {{30, 40, 123}}));
  f.Picture4.setImage(plainFrame(7));
  f.Picture4.plot(30, 40);
  probes.Picture4_MouseMove(0, 0, 30, 40);
  EXPECT_EQ(f.Label3.caption(), "x=30,Y=40,P=123");
}

TEST_F(Probe, TheReferenceRightAfterSettingItReadsAsTheCurrentFrame) {
  f.Picture2.setImage(plainFrame(9));
  f.Picture1.setImage(withDots(plainFrame(50), {{100, 100, 180}}));
  f.Command7.click();
  probes.Picture1_MouseMove(0, 0, 100, 100);
  const QString overCurrent = f.Label3.caption();
  probes.Picture2_MouseMove(0, 0, 100, 100);
  EXPECT_EQ(f.Label3.caption(), overCurrent);
  EXPECT_EQ(overCurrent, "x=100,Y=100,P=180");
}

}  // namespace
