// The automatic calibration inside the whole system: scripted camera frames, a pattern screen
// that remembers what it showed, the configuration in a fresh folder.

#include "base/ini_file.h"
#include "support/pattern_frame.h"
#include "support/test_system.h"
#include "support/trace_capture.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vornix::system {
namespace {

struct RecordingScreen : form::PatternScreen {
  std::optional<QRect> shown;
  bool show(const QRect& area, const QImage&) override {
    shown = area;
    return true;
  }
  void hide() override { shown.reset(); }
};

struct CalibratedSystem {
  form::ScriptedLoop loop;
  form::RecordingDialogs dialogs;
  output::RecordingPointer pointerEvents;
  output::PointerOutput pointer{pointerEvents};
  std::unique_ptr<testing::ScriptedCapture> cameraOwner = std::make_unique<testing::ScriptedCapture>();
  testing::ScriptedCapture& camera = *cameraOwner;
  capture::frmDocument document{std::move(cameraOwner)};
  testing::ScriptedSerial serial;
  server::ScriptedSockets sockets;
  RecordingScreen screen;
  QTemporaryDir dir;
  System system{[this] {
    Ports ports = testing::scripted(Ports{loop, dialogs, pointer, &document}, serial, sockets);
    ports.patternScreen = &screen;
    ports.configFile = dir.filePath(QStringLiteral("calibrated.ini"));
    return ports;
  }()};
  panel::MAINFRM& f = system.f;
};

TEST(AutoCalibration, FindsThePatternSetsTheTrapezoidTakesAReferenceWithoutItAndSaves) {
  CalibratedSystem s;
  const output::Corners keystone = {QPointF(40, 20), QPointF(14, 226), QPointF(280, 20), QPointF(306, 226)};
  QImage room = blankFrame();
  room.fill(QColor(40, 40, 40));
  for (int i = 0; i < 6; ++i) s.camera.frames.push_back(testing::patternFrame(keystone));
  for (int i = 0; i < 6; ++i) s.camera.frames.push_back(room);
  testing::TraceCapture trace;
  s.f.Command14.click();
  EXPECT_EQ(s.screen.shown, QRect(0, 0, 1024, 768));
  s.loop.advance(2000);

  EXPECT_FALSE(s.screen.shown);
  EXPECT_TRUE(s.f.Option2[1].selected());
  EXPECT_TRUE(s.f.Option2[2].operable());
  EXPECT_NEAR(s.f.Text1[1].value(), 14, 1);
  EXPECT_NEAR(s.f.Text2[2].value(), 20, 1);
  EXPECT_EQ(s.f.Picture2.image(), room);
  EXPECT_TRUE(trace.lines().filter(QRegularExpression("^calibrated 1 0\\.\\d$")).size() == 1) << trace.lines().join('\n').toStdString();
  const QString file = s.system.ports.configFile;
  EXPECT_EQ(ReadIniValue(file, QStringLiteral("射像机"), QStringLiteral("映射算法")), "1");
  EXPECT_EQ(ReadIniValue(file, QStringLiteral("非线性校正"), QStringLiteral("行数")), "7");
  EXPECT_TRUE(s.dialogs.messages.empty());
}

TEST(AutoCalibration, WithoutThePatternWithinTenSecondsItSaysSoAndChangesNothing) {
  CalibratedSystem s;
  QImage room = blankFrame();
  s.camera.frames.push_back(room);
  s.camera.repeat = true;
  testing::TraceCapture trace;
  s.f.Command14.click();
  s.loop.advance(9000);
  EXPECT_TRUE(s.screen.shown) << "still searching";
  s.loop.advance(1100);
  EXPECT_FALSE(s.screen.shown);
  EXPECT_TRUE(trace.lines().contains("error calibration pattern not found"));
  EXPECT_EQ(s.dialogs.messages, std::vector<QString>{QStringLiteral("未找到校正图案")});
  EXPECT_EQ(s.f.Text1[3].text(), "320");
  EXPECT_TRUE(s.f.Option2[0].selected());
  EXPECT_FALSE(s.f.Option2[2].operable());
  EXPECT_FALSE(QFile::exists(s.system.ports.configFile));

  // Esc ends a calibration without a message; with no display none starts.
  s.f.Command14.click();
  s.screen.onEscape();
  EXPECT_TRUE(trace.lines().contains("error calibration cancelled"));
  EXPECT_EQ(s.dialogs.messages.size(), 1u);
  testing::TestSystem headless;
  headless.f.Command14.click();
  EXPECT_TRUE(trace.lines().contains("error calibration no display"));
}

}  // namespace
}  // namespace vornix::system
