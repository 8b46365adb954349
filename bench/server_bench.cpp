// Broadcasting to 1,000 loopback clients: the time of one broadcast, and whether ten a second
// keep up with no backlog building. The clients are plain sockets drained by a reader thread.
//
// 1,000 clients take 2,000 descriptors in this process (both ends), more than the usual soft
// limit of 1,024: the benchmark raises the soft limit to the hard limit first.

#include "platform/qt_sockets.h"
#include "doubles/recording_dialogs.h"
#include "server/frm_server.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace vornix;

constexpr int kClients = 1000;
const QString kMessage = QStringLiteral("0|move|512,384");

// The clients: connected sockets whose incoming bytes a thread reads and counts.
class Clients {
public:
  explicit Clients(quint16 port) : epoll_(epoll_create1(0)) {
    for (int i = 0; i < kClients; ++i) {
      const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_port = htons(port);
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      ::fcntl(fd, F_SETFL, O_NONBLOCK);
      ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
      epoll_event event{};
      event.events = EPOLLIN;
      event.data.fd = fd;
      epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event);
      fds_.push_back(fd);
    }
    reader_ = std::thread([this] { read(); });
  }
  ~Clients() {
    stop_ = true;
    reader_.join();
    for (int fd : fds_) ::close(fd);
    ::close(epoll_);
  }
  std::int64_t received() const { return received_; }

private:
  void read() {
    epoll_event events[256];
    char buffer[65536];
    while (!stop_) {
      const int n = epoll_wait(epoll_, events, 256, 20);
      for (int i = 0; i < n; ++i)
        for (ssize_t got; (got = ::recv(events[i].data.fd, buffer, sizeof buffer, 0)) > 0;) received_ += got;
    }
  }

  int epoll_;
  std::vector<int> fds_;
  std::thread reader_;
  std::atomic<bool> stop_{false};
  std::atomic<std::int64_t> received_{0};
};

double threadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Rig {
  std::unique_ptr<QCoreApplication> application;
  std::unique_ptr<platform::QtSockets> sockets;
  form::RecordingDialogs dialogs;
  std::unique_ptr<server::frmServer> server;
  std::unique_ptr<Clients> clients;
  QString failure;

  Rig() {
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    if (files.rlim_cur < 2 * kClients + 64) {
      failure = QStringLiteral("the open-file limit %1 is too low for %2 clients").arg(files.rlim_cur).arg(kClients);
      return;
    }
    static int argc = 1;
    static char name[] = "bench_server";
    static char* argv[] = {name, nullptr};
    application = std::make_unique<QCoreApplication>(argc, argv);
    sockets = std::make_unique<platform::QtSockets>();
    server = std::make_unique<server::frmServer>(*sockets, dialogs, 0);
    server->Form_Load();
    clients = std::make_unique<Clients>(server->tcpServer(0)->localPort());
    QDeadlineTimer deadline(30000);
    while (server->connectionCount() < kClients && !deadline.hasExpired())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (server->connectionCount() < kClients)
      failure = QStringLiteral("only %1 clients connected").arg(server->connectionCount());
  }

  void broadcast() {
    server->TxtSend.setText(kMessage);
    server->TxtSend_KeyUp(13, 0);
  }

  qint64 backlog() const {
    qint64 unsent = 0;
    for (int i = 1; i <= server->slotCount(); ++i)
      if (server::TcpElement* element = server->tcpServer(i)) unsent += element->unsentBytes();
    return unsent;
  }
};

Rig& rig() {
  static Rig instance;
  return instance;
}

// The floor: one plain send() of the same text on each of 1,000 loopback connections, the
// server ends accepted by hand, the client ends drained the same way.
struct RawPeers {
  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  std::vector<int> accepted;
  std::unique_ptr<Clients> clients;

  RawPeers() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), size);
    ::listen(listener, 2 * kClients);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    clients = std::make_unique<Clients>(ntohs(address.sin_port));
    while (static_cast<int>(accepted.size()) < kClients) accepted.push_back(::accept(listener, nullptr, nullptr));
  }
  ~RawPeers() {
    clients.reset();
    for (int fd : accepted) ::close(fd);
    ::close(listener);
  }
};

void BM_PlainSendTo1000Sockets(benchmark::State& state) {
  if (!rig().failure.isEmpty()) {
    state.SkipWithError(qPrintable(rig().failure));
    return;
  }
  RawPeers peers;
  const QByteArray framed = kMessage.toLatin1() + '\0';
  for (auto _ : state)
    for (int fd : peers.accepted) ::send(fd, framed.constData(), static_cast<std::size_t>(framed.size()), MSG_NOSIGNAL);
}
BENCHMARK(BM_PlainSendTo1000Sockets)->Unit(benchmark::kMicrosecond);

void BM_BroadcastTo1000Clients(benchmark::State& state) {
  Rig& r = rig();
  if (!r.failure.isEmpty()) {
    state.SkipWithError(qPrintable(r.failure));
    return;
  }
  for (auto _ : state) {
    r.broadcast();
    state.PauseTiming();
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["clients"] = r.server->connectionCount();
  state.counters["backlog_bytes"] = static_cast<double>(r.backlog());
}
BENCHMARK(BM_BroadcastTo1000Clients)->Unit(benchmark::kMicrosecond);

// Fifty broadcasts at the sender's pace of one every 100 ms, the clients reading all the while.
// The time is that of one broadcast (mean wall time; broadcast_cpu_ms: the server thread's CPU
// time). backlog_max_bytes: the most that waited unsent in the server after any broadcast;
// lag_bytes: what the clients still lacked at the end of the last period; cpu_share_of_a_core:
// the broadcasts' CPU time over the five seconds.
void BM_TenBroadcastsASecondTo1000Clients(benchmark::State& state) {
  Rig& r = rig();
  if (!r.failure.isEmpty()) {
    state.SkipWithError(qPrintable(r.failure));
    return;
  }
  constexpr int kBroadcasts = 50;
  const std::int64_t perBroadcast = static_cast<std::int64_t>(kClients) * (kMessage.size() + 1);
  qint64 backlogMax = 0;
  double busySeconds = 0;
  double busyCpuSeconds = 0;
  for (auto _ : state) {
    const std::int64_t start = r.clients->received();
    QElapsedTimer pace;
    pace.start();
    for (int i = 0; i < kBroadcasts; ++i) {
      QElapsedTimer busy;
      busy.start();
      const double cpuBefore = threadCpuSeconds();
      r.broadcast();
      busyCpuSeconds += threadCpuSeconds() - cpuBefore;
      busySeconds += busy.nsecsElapsed() / 1e9;
      backlogMax = std::max(backlogMax, r.backlog());
      while (pace.elapsed() < (i + 1) * 100) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    state.SetIterationTime(busySeconds / kBroadcasts);
    state.counters["broadcast_cpu_ms"] = busyCpuSeconds / kBroadcasts * 1e3;
    state.counters["lag_bytes"] =
        static_cast<double>(kBroadcasts * perBroadcast - (r.clients->received() - start));
    state.counters["cpu_share_of_a_core"] = busyCpuSeconds / (pace.elapsed() / 1e3);
  }
  state.counters["backlog_max_bytes"] = static_cast<double>(backlogMax);
  state.counters["clients"] = r.server->connectionCount();
}
BENCHMARK(BM_TenBroadcastsASecondTo1000Clients)->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
