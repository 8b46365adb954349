#include "doubles/recording_dialogs.h"
#include "doubles/recording_pointer.h"
#include "doubles/scripted_loop.h"
#include "doubles/scripted_sockets.h"
#include "system/system.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace vornix::system {
namespace {

TEST(ServiceWatchdog, PingsWhileTheTicksRunAndFallsSilentWhileATickIsHeld) {
  QTemporaryDir dir;
  form::ScriptedLoop loop;
  form::RecordingDialogs dialogs;
  output::RecordingPointer events;
  output::PointerOutput pointer{events};
  server::ScriptedSockets sockets;
  std::vector<std::pair<qint64, QString>> sent;
  Ports ports{loop, dialogs, pointer};
  ports.sockets = &sockets;
  ports.configFile = dir.filePath(QStringLiteral("Vornix配置文件.ini"));
  ports.notifyService = [&](const QString& state) { sent.emplace_back(loop.nowMs(), state); };
  ports.watchdogIntervalMs = 10000;
  System system{ports};
  system.start();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.front().second, "READY=1");

  const auto pingsBetween = [&](qint64 from, qint64 to) {
    int pings = 0;
    for (const auto& [at, state] : sent) pings += state == "WATCHDOG=1" && at > from && at <= to;
    return pings;
  };
  loop.advance(10000);
  EXPECT_EQ(pingsBetween(0, 10000), 4) << "a quarter of the interval apart";
  EXPECT_TRUE(sent[1].second.startsWith("STATUS=") && sent[1].second.endsWith(" fps, source none, mode 1"))
      << sent[1].second.toStdString();

  // A pass (mode 1, the panel's first choice) that yields for 8 s: the pings stop once it has
  // run for half the interval.
  const qint64 held = loop.nowMs();
  system.f.Command2.onClick = [&] { loop.advance(8000); };
  loop.advance(50);
  EXPECT_EQ(pingsBetween(held + 5050, held + 8050), 0);
  EXPECT_GE(pingsBetween(held, held + 5050), 1);
  system.f.Command2.onClick = [] {};
  loop.advance(5000);
  EXPECT_GE(pingsBetween(held + 8050, loop.nowMs()), 1) << "the pings come back with the ticks";

  // Passes switched off on the panel are no stall.
  system.f.Check5.setValue(0);
  const qint64 paused = loop.nowMs();
  loop.advance(10000);
  EXPECT_EQ(pingsBetween(paused, loop.nowMs()), 4);

  system.f.Command3.click();
  EXPECT_EQ(sent.back().second, "STOPPING=1");
}

}  // namespace
}  // namespace vornix::system
