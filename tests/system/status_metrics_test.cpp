#include "doubles/recording_dialogs.h"
#include "doubles/recording_pointer.h"
#include "doubles/scripted_loop.h"
#include "doubles/scripted_sockets.h"
#include "system/system.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vornix::system {
namespace {

struct DesktopGone : output::RecordingPointer {
  bool gone = false;
  bool lost() const override { return gone; }
};

// The reasons come in the order an installer fixes them: the desktop, the passes, the camera.
TEST(StatusMetrics, HealthSaysWhyTheDriverIsNotTracking) {
  QTemporaryDir dir;
  form::ScriptedLoop loop;
  form::RecordingDialogs dialogs;
  DesktopGone desktop;
  output::PointerOutput pointer{desktop};
  server::ScriptedSockets sockets;
  Ports ports{loop, dialogs, pointer};
  ports.sockets = &sockets;
  ports.configFile = dir.path();  // a folder: every save fails
  System system{ports};
  system.start();
  const auto problem = [&] { return system.metrics.problem().value_or(QStringLiteral("ok")).toStdString(); };

  loop.advance(1500);
  EXPECT_EQ(problem(), "ok") << "the first frame may take a moment";
  loop.advance(1000);
  EXPECT_EQ(problem(), "no frame for 2 s (the video source is down)");

  std::string held;
  system.f.Command2.onClick = [&] {
    loop.advance(2100);
    held = problem();
  };
  loop.advance(50);
  EXPECT_EQ(held, "passes stalled: a pass has been running for 2100 ms");

  desktop.gone = true;
  EXPECT_EQ(problem(), "pointer backend lost");

  system.f.Command4.click();
  EXPECT_TRUE(system.metrics.exposition().contains("\nvornix_config_save_failures_total 1\n"));
}

}  // namespace
}  // namespace vornix::system
