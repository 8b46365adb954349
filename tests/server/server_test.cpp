// The server over the system's sockets on 127.0.0.1, with clients made of plain sockets.

#include "server/frm_server.h"
#include "doubles/recording_dialogs.h"

#include "base/gbk.h"
#include "platform/qt_sockets.h"
#include "doubles/scripted_sockets.h"
#include "server/loopback_client.h"
#include "support/resident_size.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <cstdio>
#include <memory>
#include <random>

#include <unistd.h>

namespace vornix::server {
namespace {

using testing::LoopbackClient;
using testing::residentBytes;
using testing::pumpUntil;
using Clients = std::vector<std::unique_ptr<LoopbackClient>>;

const std::string kNul(1, '\0');

void ensureApplication() {
  static int argc = 1;
  static char name[] = "test_server";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

class LiveServer : public ::testing::Test {
protected:
  static void SetUpTestSuite() { ensureApplication(); }
  void SetUp() override {
    server.Form_Load();
    ASSERT_EQ(server.tcpServer(0)->state(), TcpState::Listening);
    port = server.tcpServer(0)->localPort();
  }

  std::unique_ptr<LoopbackClient> join(int receiveBuffer = 0) {
    const int before = server.connectionCount();
    auto client = std::make_unique<LoopbackClient>(port, receiveBuffer);
    EXPECT_TRUE(pumpUntil([&] { return server.connectionCount() == before + 1; }));
    return client;
  }

  void broadcast(const QString& text) {
    server.TxtSend.setText(text);
    server.TxtSend_KeyUp(13, 0);
  }

  // Lets the server run until every client holds `expected`, then checks that it is all they got.
  void expectEachReceived(const std::vector<LoopbackClient*>& clients, const std::string& expected) {
    pumpUntil([&] {
      for (LoopbackClient* c : clients) if (c->received.size() < expected.size()) return false;
      return true;
    }, 5000, clients);
    for (LoopbackClient* c : clients) EXPECT_EQ(c->received, expected);
  }

  platform::QtSockets sockets;
  form::RecordingDialogs dialogs;
  frmServer server{sockets, dialogs, 0};
  quint16 port = 0;
};

TEST_F(LiveServer, AnswersASlashOnlyAtTheStartOfATextAndLogsWhatArrives) {
  auto client = join();
  EXPECT_EQ(server.Label2.caption(), "建立连接数： 1");
  EXPECT_EQ(server.Label3.caption(), "服务器端口" + QString::number(port));

  client->send("/ping");
  expectEachReceived({client.get()}, "recieved successfully");
  client->send("a/b");
  ASSERT_TRUE(pumpUntil([&] { return server.TxtReceive.text() == "/ping\na/b"; }));
  broadcast("x");
  expectEachReceived({client.get()}, "recieved successfully" "x" + kNul);

  ASSERT_EQ(server.List1.items().size(), 1u);
  EXPECT_TRUE(server.List1.items()[0].startsWith("/ping ")) << server.List1.items()[0].toStdString();
  EXPECT_EQ(server.TxtSend.text(), "");
}

TEST_F(LiveServer, FarewellEndsThatClientOnlyAndItsElementIsTakenAgain) {
  auto first = join(), second = join(), third = join();
  first->send("^bye");
  ASSERT_TRUE(pumpUntil([&] { return first->ended; }, 5000, {first.get()}));
  EXPECT_EQ(first->received, "you can quit.");
  EXPECT_EQ(server.connectionCount(), 2);
  EXPECT_EQ(server.StatusBar1.caption(), "There are 2Client connected");
  EXPECT_EQ(server.Label2.caption(), "建立连接数： 2");

  broadcast("0|move|1,2");
  expectEachReceived({second.get(), third.get()}, "0|move|1,2" + kNul);

  auto fourth = join();
  EXPECT_EQ(server.tcpServer(1)->state(), TcpState::Connected) << "the closed element is free again";
  EXPECT_EQ(server.slotCount(), 3);
  broadcast("m");
  expectEachReceived({second.get(), third.get()}, "0|move|1,2" + kNul + "m" + kNul);
  expectEachReceived({fourth.get()}, "m" + kNul);
}

TEST_F(LiveServer, EveryConnectedClientReceivesEveryBroadcastWhateverOrderClientsLeaveIn) {
  Clients clients;
  for (int i = 0; i < 5; ++i) clients.push_back(join());
  for (int leaving : {1, 4, 0}) clients[leaving]->close();
  ASSERT_TRUE(pumpUntil([&] { return server.connectionCount() == 2; }));
  EXPECT_EQ(server.slotCount(), 4);
  broadcast("a");
  expectEachReceived({clients[2].get(), clients[3].get()}, "a" + kNul);

  clients.push_back(join());
  clients.push_back(join());
  EXPECT_EQ(server.slotCount(), 4) << "the newcomers took elements 1 and 2";
  broadcast("b");
  expectEachReceived({clients[2].get(), clients[3].get()}, "a" + kNul + "b" + kNul);
  expectEachReceived({clients[5].get(), clients[6].get()}, "b" + kNul);

  for (int leaving : {3, 6, 2, 5}) clients[leaving]->close();
  ASSERT_TRUE(pumpUntil([&] { return server.connectionCount() == 0; }));
  EXPECT_EQ(server.slotCount(), 0);
}

TEST_F(LiveServer, AClientThatStopsReadingIsDroppedPastTheUnsentLimitWhileTheOtherKeepsPace) {
  auto reader = join();
  auto sluggard = join(4096);
  const QString chunk(64 * 1024, u'm');
  std::size_t expected = 0;
  qint64 largestBacklog = 0;
  for (int sent = 0; server.connectionCount() == 2 && sent < 400; ++sent) {
    if (TcpElement* element = server.tcpServer(2)) largestBacklog = std::max(largestBacklog, element->unsentBytes());
    broadcast(chunk);
    expected += static_cast<std::size_t>(chunk.size()) + 1;
    ASSERT_TRUE(pumpUntil([&] { return reader->received.size() == expected; }, 2000, {reader.get()}))
        << "the reader fell behind at broadcast " << sent;
  }
  EXPECT_EQ(server.connectionCount(), 1);
  EXPECT_EQ(server.tcpServer(2), nullptr);
  EXPECT_GT(largestBacklog, frmServer::kMaxUnsentBytes);
  EXPECT_LE(largestBacklog, frmServer::kMaxUnsentBytes + chunk.size() + 1);
  EXPECT_TRUE(pumpUntil([&] { return sluggard->ended; }, 5000, {sluggard.get()})) << "the connection was ended";
}

TEST_F(LiveServer, TwoHundredClientsConnectingAtOnceAreAllServed) {
  Clients clients;
  for (int i = 0; i < 200; ++i) clients.push_back(std::make_unique<LoopbackClient>(port));
  ASSERT_TRUE(pumpUntil([&] { return server.connectionCount() == 200; }, 20000));
  EXPECT_EQ(server.slotCount(), 200);
  EXPECT_EQ(server.Label2.caption(), "建立连接数： 200");
  broadcast("all");
  std::vector<LoopbackClient*> all;
  for (auto& c : clients) all.push_back(c.get());
  expectEachReceived(all, "all" + kNul);
}

// Fault injection: 500 clients join and drop at random, closing or resetting, some of them
// between a broadcast and the server's next turn. The server keeps count, every client still
// connected gets every broadcast since it joined, and nothing piles up round after round.
TEST_F(LiveServer, FiveHundredClientsJoiningAndDroppingAtRandomDuringBroadcasts) {
  struct Member {
    std::unique_ptr<LoopbackClient> socket;
    std::string expected;
  };
  std::vector<Member> members;
  std::mt19937 random(500);
  [[maybe_unused]] long long settledResident = 0;
  for (int round = 0; round < 10; ++round) {
    while (members.size() < 500) members.push_back({std::make_unique<LoopbackClient>(port), {}});
    ASSERT_TRUE(pumpUntil([&] { return server.connectionCount() == int(members.size()); }, 30000)) << "round " << round;
    for (int b = 0; b < 3; ++b) {
      const std::string text = "0|move|" + std::to_string(round) + "," + std::to_string(b);
      broadcast(QString::fromStdString(text));
      for (Member& m : members) m.expected += text + kNul;
      std::erase_if(members, [&](Member& m) {
        if (random() % 8 != 0) return false;
        m.socket->close(/*reset=*/random() % 2 == 0);
        return true;
      });
    }
    std::vector<LoopbackClient*> sockets;
    for (Member& m : members) sockets.push_back(m.socket.get());
    pumpUntil([&] {
      for (const Member& m : members) if (m.socket->received.size() < m.expected.size()) return false;
      return server.connectionCount() == int(members.size());
    }, 30000, sockets);
    ASSERT_EQ(server.connectionCount(), int(members.size())) << "round " << round;
    EXPECT_LE(server.slotCount(), 500) << "round " << round;
    for (const Member& m : members) ASSERT_EQ(m.socket->received, m.expected) << "round " << round;
    if (round == 1) settledResident = residentBytes();
  }
#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer holds freed memory back on purpose
  EXPECT_LT(residentBytes() - settledResident, 4 << 20) << "memory grew from round to round";
#endif

  members.clear();
  ASSERT_TRUE(pumpUntil([&] { return server.connectionCount() == 0; }, 30000));
  EXPECT_EQ(server.slotCount(), 0);
}

TEST(BrokenConnection, NeitherEndsTheProcessNorDisturbsTheOtherClients) {
  ensureApplication();
  signal(SIGPIPE, SIG_DFL);  // as a program starts
  platform::QtSockets sockets;
  form::RecordingDialogs dialogs;
  frmServer server{sockets, dialogs, 0};
  server.Form_Load();
  const quint16 port = server.tcpServer(0)->localPort();
  LoopbackClient broken(port), healthy(port);
  ASSERT_TRUE(pumpUntil([&] { return server.connectionCount() == 2; }));

  broken.close(/*reset=*/true);
  for (int i = 0; i < 20; ++i) {
    server.TxtSend.setText("tick");
    server.TxtSend_KeyUp(13, 0);
    pumpUntil([] { return false; }, 5, {&healthy});
  }
  ASSERT_TRUE(pumpUntil([&] { return server.connectionCount() == 1; }));
  pumpUntil([&] { return healthy.messages().size() == 20; }, 5000, {&healthy});
  EXPECT_EQ(healthy.messages(), std::vector<std::string>(20, "tick"));
}

class ScriptedServer : public ::testing::Test {
protected:
  ScriptedServer() { server.Form_Load(); }
  void broadcast(const QString& text) {
    server.TxtSend.setText(text);
    server.TxtSend_KeyUp(13, 0);
  }

  ScriptedSockets sockets;
  form::RecordingDialogs dialogs;
  frmServer server{sockets, dialogs, 5500};
};

TEST_F(ScriptedServer, AnArrivalIsKeptToItsFirstCharactersAndTheRestIsDropped) {
  ScriptedTcpElement* client = sockets.connectClient();
  client->arrive("/" + QByteArray(1 << 20, 'x'));
  EXPECT_TRUE(client->incoming.isEmpty());
  EXPECT_EQ(client->sent, std::vector<QString>{"recieved successfully"});
  const QString kept = "/" + QString(frmServer::kEntryChars - 1, u'x');
  EXPECT_EQ(server.TxtReceive.text(), kept);
  ASSERT_EQ(server.List1.items().size(), 1u);
  EXPECT_EQ(server.List1.items()[0].section(u' ', 0, 0), kept);

  // Double-byte characters: the kept characters are whole ones, none cut in two.
  client->arrive("/" + toGbk(QString(600, u'中')));
  const QString chinese = "/" + QString(frmServer::kEntryChars - 1, u'中');
  EXPECT_EQ(server.TxtReceive.text(), kept + "\n" + chinese);
  EXPECT_EQ(server.List1.items().back().section(u' ', 0, 0), chinese);

  for (int i = 0; i < 150; ++i) client->arrive("a\nb" + QByteArray::number(i));
  const QStringList lines = server.TxtReceive.text().split(u'\n');
  EXPECT_EQ(lines.size(), frmServer::kReceiveLogLines);
  EXPECT_EQ(lines.first(), "a");
  EXPECT_EQ(lines.last(), "b149");
}

TEST_F(ScriptedServer, TheConnectionCountIsShownWheneverItChanges) {
  ScriptedTcpElement* first = sockets.connectClient();
  ScriptedTcpElement* second = sockets.connectClient();
  sockets.connectClient();
  EXPECT_EQ(server.Label2.caption(), "建立连接数： 3");
  second->peerCloses();
  EXPECT_EQ(server.Label2.caption(), "建立连接数： 2");
  first->arrive("^bye");
  EXPECT_EQ(server.Label2.caption(), "建立连接数： 1");
  EXPECT_EQ(server.StatusBar1.caption(), "There are 1Client connected");
}

TEST_F(ScriptedServer, AClientTensOfKibibytesBehindIsDroppedWhenItWouldBeSentMore) {
  ScriptedTcpElement* sluggard = sockets.connectClient();
  ScriptedTcpElement* reader = sockets.connectClient();
  sluggard->unsent = 48 << 10;
  broadcast("m");
  EXPECT_EQ(server.tcpServer(1), nullptr);
  EXPECT_EQ(reader->sent, std::vector<QString>{"m" + QString(QChar(0))});
  EXPECT_EQ(server.Label2.caption(), "建立连接数： 1");

  reader->unsent = 48 << 10;  // asking for answers it does not read
  reader->arrive("/status");
  EXPECT_EQ(server.tcpServer(2), nullptr);
  EXPECT_EQ(server.connectionCount(), 0);
}

TEST(DragPad, MovesBuildTheTextsAndAHeldButtonRepeatsThem) {
  ScriptedSockets sockets;
  form::RecordingDialogs dialogs;
  frmServer server{sockets, dialogs, 5500};
  server.Form_Load();
  ScriptedTcpElement* client = sockets.connectClient();
  ASSERT_NE(client, nullptr);

  server.Check1.setValue(1);
  server.Picture1_MouseMove(0, 0, 120.7, 45.2);
  EXPECT_EQ(server.TxtSend.text(), "0|move|120,45");

  server.Check1.setValue(0);
  server.Check2.setValue(1);
  server.Picture1_MouseMove(0, 0, 116, 40);
  server.Picture1_MouseMove(0, 0, 120.7, 45.2);
  EXPECT_EQ(server.TxtSend.text(), "1|scale|120,45,130,55,0.2");
  // The last x is kept rounded half to even: 116.5 is kept as 116, so 121 gives 0.25, "0.3".
  server.Picture1_MouseMove(0, 0, 116.5, 40);
  server.Picture1_MouseMove(0, 0, 121, 45);
  EXPECT_EQ(server.TxtSend.text(), "1|scale|121,45,131,55,0.3");

  server.Check1.setValue(1);  // both: the scale text replaces the move text
  server.Picture1_MouseMove(0, 0, 101, 45);
  EXPECT_EQ(server.TxtSend.text(), "1|scale|101,45,111,55,-1.0");

  server.Timer1_Timer();
  EXPECT_TRUE(client->sent.empty()) << "no button held";
  server.Picture1_MouseDown(1, 0, 101, 45);
  EXPECT_EQ(server.Check3.value(), 1);
  server.Timer1_Timer();
  // The second send of a tick finds the field emptied by the first.
  EXPECT_EQ(client->sent, (std::vector<QString>{"1|scale|101,45,111,55,-1.0" + QString(QChar(0)), QString(QChar(0))}));
  server.Picture1_MouseUp(1, 0, 101, 45);
  EXPECT_EQ(server.Check3.value(), 0);
}

}  // namespace
}  // namespace vornix::server
