// The serial relay's receive path over a socat pty pair: from the sender's write of a position
// message to the receiver's cursor call, against the pty line alone (write on one end, read on
// the other). Each reports the median and the 99th percentile of its 1,000 messages.

#include "doubles/scripted_sockets.h"
#include "form/dialogs.h"
#include "output/pointer.h"
#include "platform/qt_event_loop.h"
#include "platform/qt_serial_port.h"
#include "system/system.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace {

using namespace vornix;
using Clock = std::chrono::steady_clock;

constexpr int kMessages = 1000;

QCoreApplication& application() {
  static int argc = 1;
  static char name[] = "bench_serial";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

// A socat pty pair: what is written to one end is read from the other.
struct PtyPair {
  QTemporaryDir dir;
  QString a = dir.filePath(QStringLiteral("a"));
  QString b = dir.filePath(QStringLiteral("b"));
  QProcess socat;

  bool start() {
    socat.start(QStringLiteral("socat"), {QStringLiteral("pty,raw,echo=0,link=") + a,
                                          QStringLiteral("pty,raw,echo=0,link=") + b});
    QDeadlineTimer deadline(5000);
    while (!QFile::exists(a) || !QFile::exists(b)) {
      if (deadline.hasExpired()) return false;
      QThread::msleep(10);
    }
    return true;
  }
  ~PtyPair() {
    socat.terminate();
    socat.waitForFinished(5000);
  }
};

QByteArray message(int i) {
  return QStringLiteral(":::MOUSEX=%1,Y=%2.")
      .arg(i % 1000 + 1, 4, 10, QLatin1Char('0'))
      .arg(i % 700 + 1, 4, 10, QLatin1Char('0'))
      .toLatin1();
}

void report(benchmark::State& state, std::vector<double> ms) {
  if (ms.empty()) return;
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p99_ms"] = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
}

// Remembers when the cursor was last moved.
class TimedPointer : public output::PointerBackend {
public:
  void moveTo(int, int) override {
    at = Clock::now();
    ++moves;
  }
  void press() override {}
  void release() override {}
  QString name() const override { return QStringLiteral("timed"); }
  Clock::time_point at;
  int moves = 0;
};

void BM_PtyLine(benchmark::State& state) {
  PtyPair line;
  if (!line.start()) return state.SkipWithError("socat made no pty pair");
  const int writer = ::open(QFile::encodeName(line.a).constData(), O_RDWR | O_NOCTTY);
  const int reader = ::open(QFile::encodeName(line.b).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  std::vector<double> ms;
  int i = 0;
  for (auto _ : state) {
    const QByteArray text = message(i++);
    const auto start = Clock::now();
    if (::write(writer, text.constData(), text.size()) != text.size()) return state.SkipWithError("write failed");
    char buffer[64];
    qsizetype got = 0;
    while (got < text.size()) {
      pollfd ready{reader, POLLIN, 0};
      if (::poll(&ready, 1, 1000) != 1) return state.SkipWithError("nothing arrived");
      const ssize_t n = ::read(reader, buffer, sizeof buffer);
      if (n > 0) got += n;
    }
    const std::chrono::duration<double> took = Clock::now() - start;
    state.SetIterationTime(took.count());
    ms.push_back(took.count() * 1000);
  }
  ::close(writer);
  ::close(reader);
  report(state, ms);
}
BENCHMARK(BM_PtyLine)->Iterations(kMessages)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SenderWriteToReceiverCursor(benchmark::State& state) {
  application();
  PtyPair line;
  if (!line.start()) return state.SkipWithError("socat made no pty pair");
  platform::QtEventLoop loop;
  form::ConsoleDialogs dialogs;
  TimedPointer timed;
  output::PointerOutput pointer(timed);
  platform::QtSerialPort serial({{1, line.b}});
  server::ScriptedSockets sockets;
  system::Ports ports{loop, dialogs, pointer};
  ports.serial = &serial;
  ports.sockets = &sockets;
  auto receiver = std::make_unique<system::System>(ports);
  panel::MAINFRM& f = receiver->f;
  f.Option4[4].setSelected(true);  // mode 4: no pass of its own
  f.Check6.setValue(1);            // relay on, receiving
  if (!serial.portOpen()) return state.SkipWithError("the receiver could not open its end");

  const int writer = ::open(QFile::encodeName(line.a).constData(), O_RDWR | O_NOCTTY);
  std::vector<double> ms;
  std::minstd_rand random(7);
  int i = 0;
  for (auto _ : state) {
    // The sender writes from its own thread, at any moment of the receiver's poll period.
    const QByteArray text = message(i++);
    const int movesBefore = timed.moves;
    const auto pause = std::chrono::microseconds(random() % 5000);
    Clock::time_point start;
    bool written = false;
    std::thread sender([&] {
      std::this_thread::sleep_for(pause);
      start = Clock::now();
      written = ::write(writer, text.constData(), text.size()) == text.size();
    });
    QDeadlineTimer deadline(1000 + 5);
    while (timed.moves == movesBefore && !deadline.hasExpired())
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);  // the 5 ms poll wakes it
    sender.join();
    if (!written) return state.SkipWithError("write failed");
    if (timed.moves == movesBefore) return state.SkipWithError("the receiver did not move the cursor");
    const std::chrono::duration<double> took = timed.at - start;
    state.SetIterationTime(took.count());
    ms.push_back(took.count() * 1000);
  }
  ::close(writer);
  receiver.reset();
  report(state, ms);
}
BENCHMARK(BM_SenderWriteToReceiverCursor)->Iterations(kMessages)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
