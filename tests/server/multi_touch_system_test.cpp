// The whole system with its multi-touch server on the system's sockets.

#include "panel/config_file_support.h"
#include "doubles/recording_dialogs.h"
#include "doubles/recording_pointer.h"
#include "platform/qt_event_loop.h"
#include "platform/qt_sockets.h"
#include "server/loopback_client.h"
#include "support/trace_capture.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <optional>

#include <gtest/gtest.h>

namespace vornix::server {
namespace {

using testing::LoopbackClient;
using testing::pumpUntil;

class MultiTouchSystem : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test_server";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }
  platform::QtSockets sockets;
};

TEST_F(MultiTouchSystem, ThreeClientsReceiveTheMoveMessageTenTimesASecond) {
  platform::QtEventLoop loop;
  form::RecordingDialogs dialogs;
  output::RecordingPointer recording;
  output::PointerOutput pointer{recording};
  system::Ports ports{loop, dialogs, pointer};
  ports.sockets = &sockets;
  ports.multiTouchPort = 0;
  system::System system{ports};

  system.f.Check8.setValue(1);
  const quint16 port = system.server.existing()->tcpServer(0)->localPort();
  LoopbackClient a(port), b(port), c(port);
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(pumpUntil([&] {
    return a.messages().size() >= 11 && b.messages().size() >= 11 && c.messages().size() >= 11;
  }, 8000, {&a, &b, &c}));
  const qint64 elapsed = clock.elapsed();
  for (LoopbackClient* client : {&a, &b, &c}) {
    const std::vector<std::string> messages = client->messages();
    EXPECT_EQ(std::vector<std::string>(messages.begin(), messages.begin() + 11),
              std::vector<std::string>(11, "0|move|576,24"));
  }
  EXPECT_GE(elapsed, 950) << "eleven messages came faster than ten a second";
}

TEST_F(MultiTouchSystem, ClearingTheSwitchThroughAConfigurationLoadEndsEveryConnection) {
  testing::ConfiguredSystem c(&sockets, 0);
  c.store("[多点触摸]\n启用多点触摸=1\n");
  c.load();
  frmServer& server = *c.t->system.server.existing();
  ASSERT_TRUE(server.window.visible());
  const quint16 port = server.tcpServer(0)->localPort();
  LoopbackClient a(port), b(port), d(port);
  ASSERT_TRUE(pumpUntil([&] { return server.connectionCount() == 3; }));

  c.store("[多点触摸]\n启用多点触摸=0\n");
  c.load();
  EXPECT_TRUE(pumpUntil([&] { return a.ended && b.ended && d.ended; }, 5000, {&a, &b, &d}));
  EXPECT_FALSE(server.loaded());
  EXPECT_FALSE(server.window.visible());
  EXPECT_FALSE(c.f.Timer6.timerEnabled());
}

TEST_F(MultiTouchSystem, APortInUseIsReportedEverythingElseGoesOnAndThePortIsTriedAgain) {
  std::optional<testing::LoopbackListener> taken(std::in_place);
  const quint16 port = taken->port();
  testing::ConfiguredSystem c(&sockets, port);
  c.store("[多图合成]\n通信端口=1\n[多点触摸]\n启用多点触摸=1\n[翻书模式鼠标点击]\n左翻页X=100\n");
  c.load();

  ASSERT_EQ(c.t->dialogs.messages.size(), 1u);
  const QString message = c.t->dialogs.messages[0];
  EXPECT_TRUE(message.contains(QString::number(port)) && message.contains("in use")) << message.toStdString();
  EXPECT_EQ(c.f.Text22[0].text(), "100") << "the load went on after the message";

  testing::TraceCapture trace;
  c.f.Label21.setCaption("3");
  c.t->loop.advance(500);
  EXPECT_EQ(trace.lines().filter("broadcast 0 ").size(), 5) << "the sender keeps handing messages over";
  EXPECT_EQ(c.f.Label21.caption(), "0");
  EXPECT_EQ(c.t->dialogs.messages.size(), 1u);

  taken.reset();
  c.t->loop.advance(frmServer::kListenRetryMs);
  EXPECT_EQ(trace.lines().filter(QRegularExpression("^listening ")), QStringList{"listening " + QString::number(port)});
  LoopbackClient client(port);
  frmServer& server = *c.t->system.server.existing();
  EXPECT_TRUE(pumpUntil([&] { return server.connectionCount() == 1; }));
  c.t->loop.advance(frmServer::kListenRetryMs * 3);
  EXPECT_EQ(trace.lines().filter(QRegularExpression("^listening ")).size(), 1);
  EXPECT_TRUE(pumpUntil([&] { return client.messages().size() >= 10; }, 5000, {&client})) << "and broadcasts reach it";
}

}  // namespace
}  // namespace vornix::server
