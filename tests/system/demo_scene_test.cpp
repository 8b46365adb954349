// The built-in demo scenes played through the program's own main tick, passes, mapping and
// dispatch, as an installer sees them in the trace. In the page-flip mode 7 the monitor reads the
// mapped X against 40 and 280 screen pixels, so the mouse range is the camera's own size here, as
// on a page-flip installation whose turning strip is that wide; the rest is the shipped demo
// configuration. The rear-projection scene plays in mode 3 and the pinch in mode 6.

#include "capture/demo_capture.h"
#include "support/test_system.h"
#include "support/trace_capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <ostream>
#include <vector>

using vornix::capture::DemoScene;
using vornix::testing::CameraTestSystem;
using vornix::testing::TraceCapture;

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

QString shippedConfiguration() {
  return QStringLiteral(VORNIX_SOURCE_DIR) + QStringLiteral("/share/demo/Vornix配置文件.ini");
}

struct Played {
  std::vector<std::int64_t> touchFrames;  // scene frames whose pass handed a touch over
  QStringList swipes;                     // each "swipe" line with the two lines after it
  std::vector<std::int64_t> grabbed;      // the scene frame of every grab
  // Every trace line with the scene frame whose pass wrote it.
  std::vector<std::pair<std::int64_t, QString>> lines;
};

// Grabs `grabs` frames of the scene in the projection mode, one per 50 ms tick, frame
// floor(i * framesPerGrab) at the i-th grab (1: every frame in turn; 1.5: a 30-frame-a-second
// scene grabbed 20 times a second).
Played play(int grabs, double framesPerGrab, DemoScene::Scene scene = DemoScene::Scene::Floor, int mode = 7) {
  CameraTestSystem t;
  t.system.ports.configFile = shippedConfiguration();
  t.f.Command5.click();
  EXPECT_EQ(t.f.Text4.text(), "60") << "the shipped configuration was not loaded";
  t.f.Text3[2].setText(QStringLiteral("320"));
  t.f.Text3[3].setText(QStringLiteral("240"));
  t.f.Option4[mode].setSelected(true);
  TraceCapture trace;
  Played played;
  for (int i = 0; i < grabs; ++i) {
    const auto frame = std::int64_t(std::floor(i * framesPerGrab));
    played.grabbed.push_back(frame);
    t.camera.frames.push_back(DemoScene::render(frame, scene));
    const qsizetype before = trace.lines().size();
    t.loop.advance(50);
    for (qsizetype k = before; k < trace.lines().size(); ++k) {
      const QString& line = trace.lines()[k];
      played.lines.emplace_back(frame, line);
      if (line.startsWith(QLatin1String("touch "))) played.touchFrames.push_back(frame);
      if (line.startsWith(QLatin1String("swipe ")))
        played.swipes << QStringList(trace.lines().mid(k, 3)).join(QStringLiteral("; "));
    }
  }
  EXPECT_TRUE(t.camera.frames.empty()) << "every tick took its frame";
  return played;
}

const QString kRight = QStringLiteral("swipe right; cursor 100 384; mouse click");
const QString kLeft = QStringLiteral("swipe left; cursor 924 384; mouse click");

TEST(DemoScenePlayed, EveryFrameInTurnTurnsOnePageEachWay) {
  EXPECT_EQ(play(DemoScene::kLoopFrames, 1.0).swipes, (QStringList{kRight, kLeft}));
}

TEST(DemoScenePlayed, AtTwentyGrabsASecondTurnsOnePageEachWayPerLoop) {
  const Played played = play(2 * DemoScene::kLoopFrames * 2 / 3, 1.5);
  EXPECT_EQ(played.swipes, (QStringList{kRight, kLeft, kRight, kLeft}));

  // The foot's touches come every few seconds; standing still it shows none.
  ASSERT_FALSE(played.touchFrames.empty());
  for (std::size_t i = 1; i < played.touchFrames.size(); ++i)
    EXPECT_LE(played.touchFrames[i] - played.touchFrames[i - 1], 3 * DemoScene::kFps)
        << "after frame " << played.touchFrames[i - 1];
  for (const std::int64_t frame : played.touchFrames) {
    const std::int64_t inLoop = frame % DemoScene::kLoopFrames;
    EXPECT_FALSE(inLoop > 46 && inLoop < 75) << "the foot stands still, yet frame " << frame << " shows a touch";
  }
}

// Every press of the fingertip is one touch, just past the right end of its stripe's bright
// part (the stripe crosses the threshold at its 4th column and falls below it after 20 more),
// on its top row; the first frame, pressed already, becomes the reference.
TEST(DemoScenePlayed, InModeThreeEveryPressIsOneTouch) {
  const Played played = play(2 * DemoScene::kTapLoopFrames * 2 / 3, 1.5, DemoScene::Scene::RearProjection, 3);
  QStringList expected;
  for (std::size_t i = 1; i < played.grabbed.size(); ++i) {
    const DemoScene::Tap tap = DemoScene::tapAt(played.grabbed[i]);
    const DemoScene::Tap before = DemoScene::tapAt(played.grabbed[i - 1]);
    if (tap.present && !(before.present && before.left == tap.left))
      expected << QString("touch %1 %2").arg(tap.left + 23).arg(tap.top);
  }
  QStringList touches;
  for (const auto& [frame, line] : played.lines)
    if (line.startsWith(QLatin1String("touch "))) touches << line;
  EXPECT_EQ(expected.size(), 15);
  EXPECT_EQ(touches, expected);
}

// The scale factor is negative while the fingers close in and positive while they spread.
TEST(DemoScenePlayed, InModeSixThePinchScalesDownThenUp) {
  const Played played = play(2 * DemoScene::kPinchLoopFrames * 2 / 3, 1.5, DemoScene::Scene::Pinch, 6);
  std::map<std::int64_t, std::int64_t> grabbedBefore;
  for (std::size_t i = 1; i < played.grabbed.size(); ++i) grabbedBefore[played.grabbed[i]] = played.grabbed[i - 1];
  int closing = 0, spreading = 0;
  for (const auto& [frame, line] : played.lines) {
    if (!line.startsWith(QLatin1String("scale "))) continue;
    const double factor = line.section(u',', -1).toDouble();
    const DemoScene::Fingers fingers = DemoScene::fingersAt(frame);
    // The pass that sees the fingers come or go compares them with the last gesture.
    const bool moving = fingers.present && DemoScene::fingersAt(grabbedBefore[frame]).present;
    if (moving && fingers.motion < 0) {
      ++closing;
      EXPECT_LT(factor, 0) << line.toStdString() << " at frame " << frame;
    }
    if (moving && fingers.motion > 0) {
      ++spreading;
      EXPECT_GT(factor, 0) << line.toStdString() << " at frame " << frame;
    }
  }
  EXPECT_GE(closing, 20);
  EXPECT_GE(spreading, 15);
}

}  // namespace
