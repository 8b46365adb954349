// The built-in demo scene played through the program's own main tick, pass, mapping and
// dispatch in the page-flip mode 7: the foot's touches and the hand's page turns as an installer
// sees them in the trace. The page-flip monitor reads the mapped X against 40 and 280 screen
// pixels, so the mouse range is the camera's own size here, as on a page-flip installation
// whose turning strip is that wide; the rest is the shipped demo configuration.

#include "capture/demo_capture.h"
#include "support/test_system.h"
#include "support/trace_capture.h"

#include <gtest/gtest.h>

#include <cmath>
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
};

// Grabs `grabs` frames of the scene, one per 50 ms tick, frame floor(i * framesPerGrab) at the
// i-th grab (1: every frame in turn; 1.5: a 30-frame-a-second scene grabbed 20 times a second).
Played play(int grabs, double framesPerGrab) {
  CameraTestSystem t;
  t.system.ports.configFile = shippedConfiguration();
  t.f.Command5.click();
  EXPECT_EQ(t.f.Text4.text(), "60") << "the shipped configuration was not loaded";
  t.f.Text3[2].setText(QStringLiteral("320"));
  t.f.Text3[3].setText(QStringLiteral("240"));
  t.f.Option4[7].setSelected(true);
  TraceCapture trace;
  Played played;
  for (int i = 0; i < grabs; ++i) {
    const auto frame = std::int64_t(std::floor(i * framesPerGrab));
    t.camera.frames.push_back(DemoScene::render(frame));
    const qsizetype before = trace.lines().size();
    t.loop.advance(50);
    for (qsizetype k = before; k < trace.lines().size(); ++k) {
      const QString& line = trace.lines()[k];
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

}  // namespace
