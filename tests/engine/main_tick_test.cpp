#include "engine/drawn_frames.h"
#include "support/test_system.h"

#include <gtest/gtest.h>

#include <vector>

using vornix::testing::CameraTestSystem;
using vornix::testing::TestSystem;

namespace {

// Records which processing functions the main tick ran.
struct PassLog {
  explicit PassLog(TestSystem& t) {
    t.f.Command2.onClick = [this] { passes.push_back(0); };
    t.f.Command8.onClick = [this] { passes.push_back(3); };
    t.f.Command9.onClick = [this] { passes.push_back(6); };
    t.f.Command10.onClick = [this] { passes.push_back(7); };
    t.f.Command12.onClick = [this] { passes.push_back(4); };
    t.f.Command13.onClick = [this] { passes.push_back(5); };
  }
  std::vector<int> passes;
};

}  // namespace

TEST(MainTick, RunsThePassOfTheSelectedModeOnEveryTick) {
  TestSystem t;
  PassLog log(t);
  const std::vector<std::pair<int, int>> modeToPass = {{0, 0}, {1, 0}, {2, 0}, {3, 3},
                                                             {4, 4}, {5, 5}, {6, 6}, {7, 7}};
  for (auto [mode, pass] : modeToPass) {
    log.passes.clear();
    t.f.Option4[mode].setSelected(true);
    t.loop.advance(50);
    EXPECT_EQ(log.passes, std::vector<int>{pass}) << "mode " << mode;
  }
}

TEST(MainTick, TheMeterCountsTheTicksOfModesFourAndFive) {
  TestSystem t;
  PassLog log(t);
  t.f.Option4[4].setSelected(true);
  t.loop.advance(1000);
  EXPECT_EQ(t.f.Label11.caption(), "实测速度 20 桢/秒");
  t.f.Option4[5].setSelected(true);
  t.loop.advance(1000);
  EXPECT_EQ(t.f.Label11.caption(), "实测速度 20 桢/秒");
}

TEST(MainTick, AnEmptyCounterTagBecomesOneAtTheFirstTick) {
  TestSystem t;
  EXPECT_EQ(t.f.Timer3.tag, "");
  t.loop.advance(50);
  EXPECT_EQ(t.f.Timer3.tag, "1");
}

TEST(MainTick, AModeChangeDuringAPassIsSeenByTheRemainingTestsOfTheSameTick) {
  TestSystem t;
  PassLog log(t);
  t.f.Option4[0].setSelected(true);
  // The operator picks mode 7 while pass 0 yields.
  t.f.Command2.onClick = [&] {
    log.passes.push_back(0);
    t.f.Option4[7].setSelected(true);
  };
  t.loop.advance(50);
  EXPECT_EQ(log.passes, (std::vector<int>{0, 7}));
}

TEST(MainTick, SelectingModeThreeWhileModeZeroRunsSwitchesAtTheNextTick) {
  TestSystem t;
  PassLog log(t);
  t.f.Option4[0].setSelected(true);
  t.loop.advance(50);
  t.f.Option4[3].setSelected(true);
  t.loop.advance(50);
  EXPECT_EQ(log.passes, (std::vector<int>{0, 3}));
}

TEST(MainTick, TheMeterShowsZeroASecondAfterTheRunSwitchIsCleared) {
  TestSystem t;
  // Passes that do not yield: otherwise the tick due with the meter at the full second is still
  // yielding when the meter reads the count, and is counted in the next second.
  PassLog log(t);
  t.f.Option4[4].setSelected(true);
  t.loop.advance(1000);
  EXPECT_EQ(t.f.Label11.caption(), "实测速度 20 桢/秒");
  t.f.Check5.setValue(0);
  EXPECT_FALSE(t.f.Timer1.timerEnabled());
  t.loop.advance(1000);
  EXPECT_EQ(t.f.Label11.caption(), "实测速度 0 桢/秒");
  t.f.Check5.setValue(2);  // greyed is not cleared: the tick runs
  EXPECT_TRUE(t.f.Timer1.timerEnabled());
}

TEST(MainTick, ATickFallingDueDuringAPassIsDropped) {
  TestSystem t;
  t.f.Option4[0].setSelected(true);
  int entries = 0, depth = 0, maxDepth = 0;
  t.f.Command2.onClick = [&] {
    ++entries;
    maxDepth = std::max(maxDepth, ++depth);
    for (int row = 0; row < 12; ++row) {  // a slow pass: 120 ms, yielding every 10 ms
      t.loop.spend(10);
      t.loop.processEvents();
    }
    --depth;
  };
  t.loop.advance(50);
  EXPECT_EQ(entries, 1);
  EXPECT_EQ(maxDepth, 1);
  EXPECT_EQ(t.f.Timer3.tag, "1");
  // Calling the tick directly while a pass runs is dropped as well.
  t.f.Command2.onClick = [&] { t.system.tick.Timer1_Timer(); ++entries; };
  t.system.tick.Timer1_Timer();
  EXPECT_EQ(entries, 2);
  EXPECT_EQ(t.f.Timer3.tag, "2");
}

TEST(FramePacing, APassRunsForEachNewFrameAndNoneWithoutOneWhileTheRunSwitchIsOn) {
  CameraTestSystem t;
  t.f.Check10.setValue(1);
  t.loop.advance(500);
  EXPECT_EQ(t.camera.grabs, 0) << "ticks start no pass";
  for (int i = 0; i < 3; ++i) t.camera.arrive(vornix::testing::plainFrame());
  t.loop.processEvents();
  EXPECT_EQ(t.camera.grabs, 3);
  t.loop.advance(500);
  EXPECT_EQ(t.camera.grabs, 3);
  EXPECT_EQ(t.f.Label11.caption(), "实测速度 3 桢/秒") << "the meter counts passes";

  t.f.Check5.setValue(0);
  t.camera.arrive(vornix::testing::plainFrame());
  t.loop.processEvents();
  EXPECT_EQ(t.camera.grabs, 3) << "the run switch is off";
  t.f.Check10.setValue(0);  // back to the tick
  t.f.Check5.setValue(1);
  t.loop.advance(50);
  EXPECT_EQ(t.camera.grabs, 4);
  EXPECT_EQ(t.camera.newFrame, nullptr) << "the capture no longer tells of frames";
}
