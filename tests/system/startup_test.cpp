#include "panel/config_file_support.h"
#include "doubles/recording_pointer.h"
#include "support/scripted_capture.h"

#include <QFile>

#include <gtest/gtest.h>

using vornix::form::Answer;
using vornix::form::WindowState;
using vornix::testing::ConfiguredSystem;

namespace {

class NoDeviceCapture : public vornix::testing::ScriptedCapture {
public:
  std::int16_t channelNumber(bool) const override { return -1; }
};

// A configured system with a default capture window that finds no device.
struct StartingSystem : ConfiguredSystem {
  vornix::capture::frmDocument document{std::make_unique<NoDeviceCapture>()};
  StartingSystem() { t->system.ports.document = &document; }
  void start() { t->system.startup.Form_Load(); }
  void pointAt(int x, int y) { t->pointer.SetCursorPos(x, y); }
};

}  // namespace

TEST(StartUp, PlacesThePanelAndTheHiddenCaptureWindowBesideIt) {
  StartingSystem s;
  s.store("[系统]\n程序运行直接隐藏=0\n[多图合成]\n通信端口=1\n");
  s.start();
  EXPECT_EQ(s.f.window.left(), 1000);
  EXPECT_EQ(s.f.window.top(), 1000);
  EXPECT_TRUE(s.document.loaded());
  EXPECT_EQ(s.document.sdk2000().requestedFormat(), (vornix::capture::FormatRequest{320, 240, 2}));
  EXPECT_EQ(s.document.window.top(), 1000);
  EXPECT_EQ(s.document.window.left(), s.f.window.width() + 1000);
  EXPECT_FALSE(s.document.window.visible());
  EXPECT_TRUE(s.f.window.visible());
  EXPECT_EQ(s.t->dialogs.messages, std::vector<QString>{"无设备可连接!"});
  EXPECT_EQ(s.t->loop.yields(), 1);
}

TEST(StartUp, AppliesTheConfigurationBeforeDecidingToHide) {
  StartingSystem s;
  s.store("[系统]\n程序运行直接隐藏=1\n投影方式=4\n[阀值]\n阀值=33\n");
  s.f.Check2.setValue(0);
  s.start();
  EXPECT_EQ(s.f.Text4.text(), "33");
  EXPECT_EQ(s.f.Label9.caption(), "4");
  EXPECT_FALSE(s.f.window.visible());
}

TEST(StartUp, HiddenPanelKeepsTheMainTickRunning) {
  StartingSystem s;
  s.store("[系统]\n程序运行直接隐藏=1\n投影方式=4\n");
  s.start();
  ASSERT_FALSE(s.f.window.visible());
  s.t->loop.advance(500);
  EXPECT_EQ(s.f.Timer3.tag, "10");
  EXPECT_FALSE(s.f.window.visible());
}

TEST(StartUp, GreyedOrClearedHideOptionLeavesThePanelVisible) {
  for (const char* stored : {"2", "0"}) {
    StartingSystem s;
    s.store(std::string("[系统]\n程序运行直接隐藏=") + stored + "\n");
    s.start();
    EXPECT_TRUE(s.f.window.visible()) << stored;
  }
}

TEST(StartUp, WithoutACaptureWindowStillLoadsTheConfiguration) {
  ConfiguredSystem c;
  c.store("[系统]\n投影方式=2\n");
  c.t->system.startup.Form_Load();
  EXPECT_EQ(c.f.Label9.caption(), "2");
  EXPECT_FALSE(c.f.window.visible());
}

TEST(RestoreWatcher, ShowsAndRestoresThePanelWhileThePointerIsInTheCorner) {
  StartingSystem s;
  s.store("[系统]\n程序运行直接隐藏=1\n投影方式=4\n");
  s.start();
  s.pointAt(0, 5);
  s.t->loop.advance(300);
  EXPECT_FALSE(s.f.window.visible());
  s.pointAt(5, 0);
  s.t->loop.advance(300);
  EXPECT_FALSE(s.f.window.visible());

  s.f.window.setState(WindowState::Minimized);
  s.pointAt(0, 0);
  s.t->loop.advance(100);
  EXPECT_TRUE(s.f.window.visible());
  EXPECT_EQ(s.f.window.state(), WindowState::Normal);

  s.f.window.setState(WindowState::Maximized);
  s.t->loop.advance(100);
  EXPECT_EQ(s.f.window.state(), WindowState::Normal);
}

TEST(PointerReadOut, ShowsThePointerPositionEvery200Ms) {
  StartingSystem s;
  s.pointAt(640, -12);
  s.t->loop.advance(199);
  EXPECT_EQ(s.f.Text22[4].text(), "");
  s.t->loop.advance(1);
  EXPECT_EQ(s.f.Text22[4].text(), "640");
  EXPECT_EQ(s.f.Text22[5].text(), "-12");
}

TEST(PanelCommands, HideAndClear) {
  StartingSystem s;
  s.f.Picture4.plot(10, 20);
  s.f.Command11.click();
  EXPECT_TRUE(s.f.Picture4.points().empty());
  s.f.Command1.click();
  EXPECT_FALSE(s.f.window.visible());
}

TEST(PanelCommands, EndReleasesAHeldButtonOnceAndInjectsNothingAfter) {
  using Event = vornix::output::RecordingPointer::Event;
  StartingSystem s;
  s.t->pointer.mouse_event(vornix::output::kLeftDown);
  s.f.Command3.click();
  EXPECT_EQ(s.t->loop.quitStatus(), 0);
  s.t->pointer.SetCursorPos(5, 6);
  s.t->pointer.mouse_event(vornix::output::kLeftClick);
  s.t->pointer.releaseHeldButton();
  EXPECT_EQ(s.t->pointerEvents.events(), (std::vector<Event>{Event::press(), Event::release()}));
  EXPECT_FALSE(QFile::exists(s.path())) << "ending saves nothing";
}

// A quit signal while the start-up's "无设备可连接!" box is up leaves the box (the loop ends
// every nested loop) and ends the start-up there.
TEST(StartUp, AQuitRequestWhileTheNoDeviceBoxIsUpEndsTheStartUp) {
  StartingSystem s;
  s.store("[系统]\n程序运行直接隐藏=1\n[阀值]\n阀值=33\n");
  s.t->dialogs.whileShown = [&] { s.t->system.startup.end(0); };
  s.start();
  EXPECT_EQ(s.t->loop.quitStatus(), 0);
  EXPECT_NE(s.f.Text4.text(), "33") << "the configuration was loaded after the request";
  EXPECT_TRUE(s.f.window.visible());
  EXPECT_EQ(s.t->loop.yields(), 0);
}

TEST(Shutdown, StartsThePowerOffCommandOnlyWhenAnsweredYes) {
  StartingSystem s;
  std::vector<QStringList> started;
  s.t->system.ports.startDetached = [&started](const QStringList& command) {
    started.push_back(command);
    return true;
  };
  s.t->dialogs.nextAnswer = Answer::No;
  s.f.Command6.click();
  EXPECT_EQ(s.t->dialogs.questions, std::vector<QString>{"真的要关机吗？"});
  EXPECT_TRUE(started.empty());

  s.t->dialogs.nextAnswer = Answer::Yes;
  s.f.Command6.click();
  EXPECT_EQ(started, (std::vector<QStringList>{{"systemctl", "poweroff"}}));
}

// A replay that asked to end at its source's end: status 0 after the pass of its last frame,
// status 2 when it gave no frame at all. Meanwhile the source follows the selected mode.
TEST(ExitAtEnd, EndsAfterTheLastFramesPassOrFailsWithoutAFrame) {
  for (const int frames : {2, 0}) {
    vornix::testing::CameraTestSystem t;
    t.system.ports.exitAtEnd = true;
    t.camera.ended = true;
    for (int i = 0; i < frames; ++i) t.camera.frames.push_back(vornix::blankFrame());
    ASSERT_TRUE(t.camera.projectionMode);
    t.f.Option4[2].setSelected(true);
    EXPECT_EQ(t.camera.projectionMode(), 2);

    t.loop.advance(50 * (frames + 1));
    ASSERT_TRUE(t.loop.quitStatus()) << frames << " frames";
    EXPECT_EQ(*t.loop.quitStatus(), frames ? 0 : 2);
  }
}
