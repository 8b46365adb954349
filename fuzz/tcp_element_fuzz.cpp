// The server window over the system's own socket elements (QTcpServer, QTcpSocket) on
// 127.0.0.1, with real clients that join, send any bytes, close or reset their connections,
// while broadcasts go out. Nothing fails; "/" and "^" are answered on the wire; every client
// still connected receives each broadcast byte for byte; the connection count follows the
// clients; and a client that closes is let go.

#include "base/gbk.h"
#include "doubles/recording_dialogs.h"
#include "form/dialogs.h"
#include "fuzz_support.h"
#include "platform/qt_sockets.h"
#include "server/frm_server.h"
#include "server/loopback_client.h"

#include <QCoreApplication>

#include <memory>
#include <vector>

using namespace vornix;
using fuzz::expect;
using testing::LoopbackClient;
using testing::pumpUntil;

namespace {

constexpr int kWaitMs = 3000;
constexpr std::size_t kMaxClients = 8;

struct Client {
  std::unique_ptr<LoopbackClient> socket;
  std::string expected;   // what the server has sent it so far
  bool farewell = false;  // said "^": the server closed it
};

// The system's elements, counting the bytes their data-arrival events announce, so the fuzzer
// knows when the server has taken everything the clients sent.
class CountingElement : public server::TcpElement {
public:
  CountingElement(std::unique_ptr<server::TcpElement> inner, qint64& arrived) : inner_(std::move(inner)) {
    inner_->events.connectionRequest = [this](server::RequestId id) {
      if (events.connectionRequest) events.connectionRequest(id);
    };
    inner_->events.dataArrival = [this, &arrived](qint64 bytes) {
      arrived += bytes;
      if (events.dataArrival) events.dataArrival(bytes);
    };
    inner_->events.close = [this] {
      if (events.close) events.close();
    };
  }
  void setLocalPort(quint16 port) override { inner_->setLocalPort(port); }
  quint16 localPort() const override { return inner_->localPort(); }
  QString localIP() const override { return inner_->localIP(); }
  server::TcpState state() const override { return inner_->state(); }
  bool listen() override { return inner_->listen(); }
  QString errorString() const override { return inner_->errorString(); }
  bool accept(server::RequestId request) override { return inner_->accept(request); }
  void sendData(const QString& text) override { inner_->sendData(text); }
  qint64 unsentBytes() const override { return inner_->unsentBytes(); }
  QByteArray getData(qint64 maxBytes) override { return inner_->getData(maxBytes); }
  void close() override { inner_->close(); }
  void abort() override { inner_->abort(); }

private:
  std::unique_ptr<server::TcpElement> inner_;
};

class CountingSockets : public server::TcpElementFactory {
public:
  std::unique_ptr<server::TcpElement> create() override {
    return std::make_unique<CountingElement>(system_.create(), arrived);
  }
  qint64 arrived = 0;

private:
  platform::QtSockets system_;
};

struct Server {
  CountingSockets sockets;
  form::RecordingDialogs dialogs;
  server::frmServer window{sockets, dialogs, 0};
  quint16 port = 0;
  Server() {
    window.Form_Load();
    port = window.tcpServer(0)->localPort();
  }
};

Server& liveServer() {
  static Server* instance = new Server;  // lives as long as the process: its sockets are reused
  return *instance;
}

std::vector<LoopbackClient*> sockets(const std::vector<Client>& clients) {
  std::vector<LoopbackClient*> out;
  for (const Client& c : clients) out.push_back(c.socket.get());
  return out;
}

int connected(const std::vector<Client>& clients) {
  return int(std::count_if(clients.begin(), clients.end(), [](const Client& c) { return !c.farewell; }));
}

// Waits until every client holds what the server sent it, then checks it is all they got.
void expectReceived(std::vector<Client>& clients, const char* what) {
  const auto all = sockets(clients);
  pumpUntil([&] {
    for (const Client& c : clients)
      if (c.socket->received.size() < c.expected.size()) return false;
    return true;
  }, kWaitMs, all);
  for (const Client& c : clients)
    expect(c.socket->received == c.expected, what,
           QStringLiteral("got %1 bytes, expected %2").arg(c.socket->received.size()).arg(c.expected.size()));
}

void expectCount(std::vector<Client>& clients, const char* what) {
  const int want = connected(clients);
  pumpUntil([&] { return liveServer().window.connectionCount() == want; }, kWaitMs, sockets(clients));
  expect(liveServer().window.connectionCount() == want, what,
         QStringLiteral("%1 counted, %2 connected").arg(liveServer().window.connectionCount()).arg(want));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  new QCoreApplication(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  Server& s = liveServer();
  std::vector<Client> clients;
  while (in.remaining_bytes() > 0) {
    const int op = in.ConsumeIntegralInRange(0, 3);
    Client* client = nullptr;
    std::size_t index = 0;
    if (op != 0 && op != 3 && !clients.empty()) {
      index = in.ConsumeIntegralInRange<std::size_t>(0, clients.size() - 1);
      client = &clients[index];
    }
    switch (op) {
      case 0:  // a client joins
        if (clients.size() < kMaxClients) {
          clients.push_back({std::make_unique<LoopbackClient>(s.port), {}, false});
          expectCount(clients, "a joining client is counted");
        }
        break;
      case 1: {  // a client sends bytes, and the server takes them before anything else happens
        const std::string bytes = in.ConsumeRandomLengthString(300);
        if (!client || client->farewell || bytes.empty()) break;
        const qint64 taken = s.sockets.arrived + qint64(bytes.size());
        client->socket->send(bytes);
        pumpUntil([&] { return s.sockets.arrived >= taken; }, kWaitMs, sockets(clients));
        expect(s.sockets.arrived == taken, "the server takes every byte sent",
               QStringLiteral("%1 of %2").arg(s.sockets.arrived).arg(taken));
        if (bytes[0] == '/') client->expected += "recieved successfully";
        if (bytes[0] == '^') {
          client->expected += "you can quit.";
          client->farewell = true;
          pumpUntil([&] { return client->socket->ended; }, kWaitMs, sockets(clients));
          expect(client->socket->ended, "the server closes the connection after its farewell");
        }
        expectReceived(clients, "\"/\" and \"^\" are answered on the wire");
        expectCount(clients, "a farewell leaves the others counted");
        break;
      }
      case 2:  // a client closes, or resets, its connection
        if (!client) break;
        client->socket->close(in.ConsumeBool());
        clients.erase(clients.begin() + std::ptrdiff_t(index));
        expectCount(clients, "a client that leaves is let go");
        break;
      default: {  // a broadcast
        const QString text = QString::fromUtf8(in.ConsumeRandomLengthString(100));
        s.window.TxtSend.setText(text);
        s.window.TxtSend_KeyUp(13, 0);
        const QByteArray bytes = toGbk(text) + '\0';
        for (Client& c : clients)
          if (!c.farewell) c.expected.append(bytes.constData(), std::size_t(bytes.size()));
        expectReceived(clients, "every connected client receives the broadcast byte for byte");
        break;
      }
    }
  }
  clients.clear();
  expectCount(clients, "every client is let go");
  return 0;
}
