#include "doubles/scripted_loop.h"
#include "output/tuio_output.h"
#include "panel/mainfrm.h"
#include "support/recording_tuio.h"
#include "support/trace_capture.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

namespace vornix::output {
namespace {

using Delivery = TuioTransport::Delivery;
using SendError = TuioTransport::SendError;
using testing::RecordingTuio;
using testing::TraceCapture;

class TuioOutputTest : public ::testing::Test {
protected:
  TuioOutputTest() {
    output.setCommandLineTarget({QStringLiteral("127.0.0.1"), 3333});
    setRange(100, 50, 800, 600);
  }

  void setRange(int left, int top, int width, int height) {
    f.Text3[0].setText(QString::number(left));
    f.Text3[1].setText(QString::number(top));
    f.Text3[2].setText(QString::number(width));
    f.Text3[3].setText(QString::number(height));
  }
  // The mapped screen point of point 1 (index 0) or point 2 (index 1).
  void mapped(std::size_t index, double x, double y) {
    f.Text8[2 * index].setText(QString::number(x));
    f.Text8[2 * index + 1].setText(QString::number(y));
  }
  const TuioBundle& pass(bool point1, bool point2 = false) {
    output.passDone(point1, point2);
    return tuio.bundles.back();
  }
  // The cursors of a pass that found point 1 at the screen point (x, y).
  TuioCursor cursorAt(double x, double y) {
    mapped(0, x, y);
    return pass(true).cursors.at(0);
  }
  int errorLines(const TraceCapture& trace) const {
    return int(trace.lines().filter(QRegularExpression("^error tuio: ")).size());
  }

  panel::MAINFRM f;
  form::ScriptedLoop loop;
  RecordingTuio tuio;
  TuioOutput output{f, loop, &tuio, "host"};
};

TEST_F(TuioOutputTest, PositionsAreFractionsOfTheMouseRangeHeldToItsEdges) {
  struct Case {
    double x, y;
    float wantX, wantY;
  };
  // The range (100, 50, 800, 600) starts away from the origin.
  for (const Case& c : {Case{100, 50, 0, 0}, Case{900, 650, 1, 1}, Case{300, 500, 0.25f, 0.75f},
                        Case{99, 49, 0, 0}, Case{-20, 651, 0, 1}, Case{901, 0, 1, 0}}) {
    const TuioCursor cursor = cursorAt(c.x, c.y);
    EXPECT_EQ(cursor.x, c.wantX) << c.x;
    EXPECT_EQ(cursor.y, c.wantY) << c.y;
  }
  // Point 2 may be mapped up to twice the width and height; the cursor still ends at the edge.
  mapped(0, 500, 350);
  mapped(1, 1700, 1250);
  const TuioBundle& both = pass(true, true);
  ASSERT_EQ(both.cursors.size(), 2u);
  EXPECT_EQ(both.cursors[0].x, 0.5f);
  EXPECT_EQ(both.cursors[1].x, 1.0f);
  EXPECT_EQ(both.cursors[1].y, 1.0f);
  // A range without width or height gives 0 on that axis instead of dividing by zero.
  setRange(100, 50, 0, 0);
  const TuioCursor flat = cursorAt(500, 350);
  EXPECT_EQ(flat.x, 0.0f);
  EXPECT_EQ(flat.y, 0.0f);
}

TEST_F(TuioOutputTest, VelocityAndAccelerationFollowTheTimeBetweenPasses) {
  const TuioCursor appeared = cursorAt(100, 650);
  EXPECT_EQ(appeared, (TuioCursor{1, 0, 1, 0, 0, 0}));

  loop.spend(100);  // 80 px = 0.1 range widths in 0.1 s: 1 width per second, from rest
  const TuioCursor moving = cursorAt(180, 590);
  EXPECT_NEAR(moving.vx, 1, 1e-5);
  EXPECT_NEAR(moving.vy, -1, 1e-5);
  EXPECT_NEAR(moving.acceleration, std::sqrt(2) / 0.1, 1e-4);

  loop.spend(50);  // the same step in half the time: twice the speed
  const TuioCursor faster = cursorAt(260, 530);
  EXPECT_NEAR(faster.vx, 2, 1e-5);
  EXPECT_NEAR(faster.acceleration, std::sqrt(2) / 0.05, 1e-4);

  loop.spend(50);
  const TuioCursor stopped = cursorAt(260, 530);
  EXPECT_EQ(stopped.vx, 0.0f);
  EXPECT_NEAR(stopped.acceleration, -2 * std::sqrt(2) / 0.05, 1e-4);
}

TEST_F(TuioOutputTest, AFailingTargetIsReportedOnceAndTriedAtMostOnceASecond) {
  TraceCapture trace;
  const Failure<SendError> refused{SendError::Refused, QStringLiteral("cannot send to 127.0.0.1:3333: Connection refused")};
  tuio.answer = refused;
  for (int i = 0; i < 20; ++i, loop.spend(50)) output.passDone(false, false);
  EXPECT_EQ(tuio.bundles.size(), 1u);  // the passes of the next second try nothing
  pass(false);                          // one second later
  EXPECT_EQ(tuio.bundles.size(), 2u);
  EXPECT_EQ(errorLines(trace), 1);

  // A host still being looked up is no failure: the next pass tries again.
  loop.spend(1000);
  tuio.answer = Delivery::Waiting;
  pass(false);
  loop.spend(50);
  pass(false);
  EXPECT_EQ(tuio.bundles.size(), 4u);

  // The first bundle that goes out is number 1; fseq counts the bundles sent.
  tuio.answer = Delivery::Sent;
  for (int i = 0; i < 21; ++i, loop.spend(50)) pass(false);
  EXPECT_EQ(tuio.bundles[4].fseq, 1);
  EXPECT_EQ(tuio.bundles.back().fseq, 21);
  EXPECT_EQ(trace.lines().filter(QRegularExpression("^tuio ")).size(), 21);

  // After a second of bundles going out, the same failure is news again.
  tuio.answer = refused;
  pass(false);
  EXPECT_EQ(errorLines(trace), 2);
  EXPECT_EQ(tuio.bundles.back().fseq, 22);
}

TEST(TuioOutputTargets, TheCommandLineWinsAndTheFileSwitchesOutputOnAndOff) {
  panel::MAINFRM f;
  form::ScriptedLoop loop;
  RecordingTuio tuio;
  TraceCapture trace;

  TuioOutput fromFile(f, loop, &tuio, "host");
  fromFile.passDone(true, false);
  EXPECT_TRUE(tuio.bundles.empty());  // no target: off
  fromFile.setStoredTarget(QStringLiteral(" 192.168.1.20:3333 "));
  fromFile.setStoredTarget(QStringLiteral("192.168.1.20:3333"));  // a load that changes nothing
  fromFile.passDone(true, false);
  EXPECT_EQ(tuio.targets, (std::vector<TuioTarget>{{QStringLiteral("192.168.1.20"), 3333}}));
  EXPECT_EQ(tuio.bundles.size(), 1u);
  fromFile.setStoredTarget(QString());
  fromFile.passDone(true, false);
  EXPECT_EQ(tuio.bundles.size(), 1u);
  fromFile.setStoredTarget(QStringLiteral("tablet:0"));
  EXPECT_FALSE(fromFile.target());
  EXPECT_EQ(trace.lines().filter(QRegularExpression("^error tuio: .*'tablet:0'.*off$")).size(), 1);

  TuioOutput fromCommandLine(f, loop, &tuio, "host");
  fromCommandLine.setCommandLineTarget({QStringLiteral("127.0.0.1"), 4000});
  fromCommandLine.setStoredTarget(QStringLiteral("192.168.1.20:3333"));
  fromCommandLine.setStoredTarget(QString());
  EXPECT_EQ(fromCommandLine.target(), (TuioTarget{QStringLiteral("127.0.0.1"), 4000}));
}

TEST(TuioTargetText, PortAloneOrWithAHostAndOnlyThat) {
  EXPECT_EQ(*parseTuioTarget("3333"), (TuioTarget{"127.0.0.1", 3333}));
  EXPECT_EQ(*parseTuioTarget("tablet.local:65535"), (TuioTarget{"tablet.local", 65535}));
  EXPECT_EQ(*parseTuioTarget("[::1]:3333"), (TuioTarget{"::1", 3333}));
  EXPECT_EQ(parseTuioTarget("[::1]:3333")->text(), "[::1]:3333");
  using Error = TuioTargetError;
  const std::pair<const char*, Error> refused[] = {
      {"", Error::BadPort},          {"host:", Error::BadPort},       {"0", Error::BadPort},
      {"65536", Error::BadPort},     {"3333x", Error::BadPort},       {"-1", Error::BadPort},
      {"33 33", Error::BadPort},     {"a b:3333", Error::BlankInHost}, {"::1:3333", Error::UnbracketedIpv6},
      {"[::1]3333", Error::UnclosedBrackets},
  };
  for (const auto& [bad, kind] : refused) {
    const auto parsed = parseTuioTarget(bad);
    ASSERT_FALSE(parsed) << bad;
    EXPECT_EQ(parsed.failure().kind, kind) << bad;
  }
}

}  // namespace
}  // namespace vornix::output
