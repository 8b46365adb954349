// A simulated day of the whole system, as fast as the machine allows.
//
// Two systems run on one scripted event loop with scripted time, each tick 50 ms: the sender
// takes the demo scene frame by frame (its passes in page-flip mode with a dynamic reference,
// the real detector, the mapping, the dispatch with drag and swipes), sends every mapped point
// over a socat pty pair to the receiver, and broadcasts its move messages to loopback clients
// through its multi-touch server. The receiver parses the line and feeds its own dispatch.
// Between ticks the bytes on the line and on the sockets are let through in real time, so each
// tick sees what the ticks before it sent, as an unloaded machine would.
//
//   vornix_soak [--ticks N] [--clients N]      (default: 1728000 ticks = 24 h, 50 clients)
//
// Fails (status 1) when the resident size grew by more than 2 MiB between its first and last
// sample (one every 100,000 ticks, or every tenth of a shorter run), or when the events of a
// loop of the demo scene differ from those of the first loop, or when a message sent is not
// received once and in order on the other side.

#include "base/ini_file.h"
#include "doubles/recording_dialogs.h"
#include "base/trace.h"
#include "capture/demo_capture.h"
#include "capture/frm_document.h"
#include "form/dialogs.h"
#include "form/errors.h"
#include "doubles/scripted_loop.h"
#include "output/pointer.h"
#include "platform/qt_serial_port.h"
#include "platform/qt_sockets.h"
#include "server/frm_server.h"
#include "server/loopback_client.h"
#include "support/resident_size.h"
#include "system/system.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace vornix;
using testing::LoopbackClient;
using testing::residentBytes;

namespace {

constexpr qint64 kTickMs = 50;
constexpr long long kLoopTicks = capture::DemoScene::kLoopFrames;  // one frame per pass
constexpr long long kMaxSampleEvery = 100'000;
constexpr long long kAllowedGrowth = 2 << 20;
constexpr int kRealTimeWaitMs = 5000;

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "soak: %s\n", what.c_str());
  std::exit(1);
}

// Counts what the program injects, keeping nothing else.
class CountingPointer : public output::PointerBackend {
public:
  void moveTo(int, int) override { ++moves; }
  void press() override { ++presses; }
  void release() override { ++releases; }
  QString name() const override { return QStringLiteral("counting"); }
  long long moves = 0, presses = 0, releases = 0;
};

// One end of the serial line: the program's QSerialPort, counting the bytes each way.
class LineEnd : public output::SerialComponent {
public:
  explicit LineEnd(const QString& device) : port_({{1, device}}) {}
  bool portOpen() const override { return port_.portOpen(); }
  void setPortOpen(bool open) override { port_.setPortOpen(open); }
  int commPort() const override { return port_.commPort(); }
  void setCommPort(int number) override { port_.setCommPort(number); }
  void output(const QString& text) override {
    port_.output(text);
    sent += text.size();
  }
  // What the soak let through since the last poll: never what a poll at the same instant as
  // the sender's write might or might not find, so every run of the day is the same.
  QString input() override { return std::exchange(arrived_, QString()); }
  void setInputWanted(bool wanted) override { port_.setInputWanted(wanted); }
  // Takes what the port has read so far, for the next poll.
  void pull() {
    if (!port_.portOpen()) return;
    const QString text = port_.input();
    received += text.size();
    arrived_ += text;
  }
  long long sent = 0, received = 0;

private:
  platform::QtSerialPort port_;
  QString arrived_;
};

// A system of the soak: its ports, its configuration and the system itself.
struct Station {
  Station(form::ScriptedLoop& loop, const QString& config, const QString& device, bool camera)
      : line(device) {
    if (camera) document = std::make_unique<capture::frmDocument>(std::make_unique<capture::DemoCapture>(true));
    system::Ports ports{loop, dialogs, pointer, document.get()};
    ports.configFile = config;
    ports.serial = &line;
    ports.sockets = &sockets;
    ports.multiTouchPort = 0;
    system = std::make_unique<system::System>(ports);
  }
  form::RecordingDialogs dialogs;
  CountingPointer backend;
  output::PointerOutput pointer{backend};
  std::unique_ptr<capture::frmDocument> document;
  LineEnd line;
  platform::QtSockets sockets;
  std::unique_ptr<system::System> system;
};

// The demo configuration with some entries changed, written by the program's own writer.
void writeConfig(const QString& path, const std::vector<std::pair<const char*, const char*>>& entries) {
  const QString demo = QStringLiteral(VORNIX_SOURCE_DIR "/share/demo/Vornix配置文件.ini");
  if (!QFile::copy(demo, path)) fail("cannot copy the demo configuration " + demo.toStdString());
  for (const auto& [name, value] : entries) {
    const QString entry = QString::fromUtf8(name);
    if (!WriteIniValue(path, entry.section(u'/', 0, 0), entry.section(u'/', 1), QString::fromUtf8(value)))
      fail("cannot write " + entry.toStdString());
  }
}

// Event counts of the trace, by event name.
using Counts = std::map<std::string, long long>;

std::string describe(const Counts& counts) {
  std::string text;
  for (const auto& [event, count] : counts) text += " " + event + "=" + std::to_string(count);
  return text;
}

Counts difference(const Counts& later, const Counts& earlier) {
  Counts delta = later;
  for (const auto& [event, count] : earlier) delta[event] -= count;
  std::erase_if(delta, [](const auto& entry) { return entry.second == 0; });
  return delta;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  long long ticks = 1'728'000;
  int clientCount = 50;
  const QStringList arguments = QCoreApplication::arguments();
  for (int i = 1; i + 1 < arguments.size(); i += 2) {
    if (arguments[i] == QLatin1String("--ticks")) ticks = arguments[i + 1].toLongLong();
    else if (arguments[i] == QLatin1String("--clients")) clientCount = arguments[i + 1].toInt();
    else fail("usage: vornix_soak [--ticks N] [--clients N]");
  }
  if (ticks < kLoopTicks) fail("run at least one loop of the demo scene: " + std::to_string(kLoopTicks) + " ticks");
  const long long sampleEvery = std::min(kMaxSampleEvery, ticks / 10);

  QTemporaryDir folder;
  if (!folder.isValid()) fail("no temporary folder");
  const QString lineA = folder.filePath(QStringLiteral("line-a")), lineB = folder.filePath(QStringLiteral("line-b"));
  QProcess socat;
  // socat goes with the soak, however the soak ends.
  socat.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
  socat.start(QStringLiteral("socat"), {"pty,raw,echo=0,link=" + lineA, "pty,raw,echo=0,link=" + lineB});
  if (!socat.waitForStarted(kRealTimeWaitMs)) fail("socat did not start (is it installed?)");
  const bool paired = testing::pumpUntil([&] { return QFileInfo::exists(lineA) && QFileInfo::exists(lineB); });
  if (!paired) fail("socat made no pty pair");

  const QString configA = folder.filePath(QStringLiteral("sender.ini"));
  const QString configB = folder.filePath(QStringLiteral("receiver.ini"));
  // The page-flip monitor reads the mapped X against 40 and 280 screen pixels: the mouse range
  // is the camera's size, as on a page-flip installation, so the turns are the hand's swipes.
  writeConfig(configA, {{"系统/投影方式", "7"}, {"系统/控制鼠标拖动点击", "1"}, {"鼠标活动范围/宽度", "320"},
                        {"鼠标活动范围/高度", "240"}, {"多图合成/启用多图合成", "1"}, {"多图合成/本机状态", "0"},
                        {"多点触摸/启用多点触摸", "1"}});
  writeConfig(configB, {{"系统/投影方式", "4"}, {"多图合成/启用多图合成", "1"}, {"多图合成/本机状态", "1"}});

  // The trace, counted by event; the messages on the line, matched in order.
  Counts counts;
  std::deque<QString> inFlight;
  std::string mismatch;
  long long broadcastBytes = 0;
  Trace::instance().setSink([&](const QString& line) {
    const QString event = line.section(u' ', 1, 1);
    // Swipes and buttons by their kind ("swipe right", "mouse down"), the rest by event.
    const bool kinded = event == QLatin1String("swipe") || event == QLatin1String("mouse");
    ++counts[(kinded ? event + u'-' + line.section(u' ', 2, 2) : event).toStdString()];
    if (event == QLatin1String("serial-send")) inFlight.push_back(line.section(u' ', 2));
    if (event == QLatin1String("serial-recv")) {
      const QString message = line.section(u' ', 2);
      if (inFlight.empty() || inFlight.front() != message)
        mismatch = "received " + message.toStdString() + ", sent " +
                   (inFlight.empty() ? std::string("nothing") : inFlight.front().toStdString());
      if (!inFlight.empty()) inFlight.pop_front();
    }
    if (event == QLatin1String("broadcast")) {
      if (line.section(u' ', 2, 2).toInt() != clientCount) mismatch = "a broadcast missed clients: " + line.toStdString();
      broadcastBytes += line.section(u' ', 3).toUtf8().size() + 1;
    }
  });

  form::ScriptedLoop loop;
  Station sender(loop, configA, lineA, true);
  Station receiver(loop, configB, lineB, false);
  sender.system->f.Option3[2].setSelected(true);  // dynamic reference: the frame before
  form::runEvent("Form_Load", [&] { sender.system->startup.Form_Load(); });
  form::runEvent("Form_Load", [&] { receiver.system->startup.Form_Load(); });
  server::frmServer* window = sender.system->server.existing();
  if (!window || window->tcpServer(0)->state() != server::TcpState::Listening) fail("the multi-touch server is not listening");
  if (!sender.dialogs.messages.empty() || !receiver.dialogs.messages.empty()) fail("a message box at start-up");

  std::vector<std::unique_ptr<LoopbackClient>> clients;
  std::vector<LoopbackClient*> clientPointers;
  for (int i = 0; i < clientCount; ++i) {
    clients.push_back(std::make_unique<LoopbackClient>(window->tcpServer(0)->localPort()));
    clientPointers.push_back(clients.back().get());
  }
  if (!testing::pumpUntil([&] { return window->connectionCount() == clientCount; }))
    fail("the clients did not all connect");

  // Lets the line and the sockets deliver what the last tick sent.
  const auto deliver = [&] {
    QDeadlineTimer deadline(kRealTimeWaitMs);
    for (;;) {
      QCoreApplication::processEvents();
      receiver.line.pull();
      bool done = receiver.line.received >= sender.line.sent;
      for (LoopbackClient* client : clientPointers) {
        if (client->received.size() >= std::size_t(broadcastBytes)) continue;
        client->poll();
        done = done && client->received.size() >= std::size_t(broadcastBytes);
      }
      if (done) return;
      if (deadline.hasExpired()) fail("the line or the sockets stalled");
      QThread::usleep(20);
    }
  };

  QElapsedTimer wall;
  wall.start();
  std::vector<long long> samples;
  Counts loopStart, firstLoop;
  long long loopsCompared = 0;
  loopStart = counts;
  for (long long tick = 1; tick <= ticks; ++tick) {
    loop.advance(kTickMs);
    deliver();
    if (!mismatch.empty()) fail("tick " + std::to_string(tick) + ": " + mismatch);
    for (LoopbackClient* client : clientPointers) {
      if (client->received.size() != std::size_t(broadcastBytes)) fail("a client got more than was broadcast");
      client->received.clear();
    }
    broadcastBytes = 0;
    if (tick % sampleEvery == 0) {
      samples.push_back(residentBytes());
      std::printf("tick %lld: resident %.1f MiB, %.0f ticks/s\n", tick, samples.back() / 1048576.0,
                  tick / (wall.nsecsElapsed() / 1e9));
      std::fflush(stdout);
    }
    if (tick % kLoopTicks == 0) {
      Counts thisLoop = difference(counts, loopStart);
      if (tick == kLoopTicks) {
        firstLoop = thisLoop;
        std::printf("first loop of the demo scene:%s\n", describe(firstLoop).c_str());
        // The scene's hand swipes once to the right and once back; the foot drags.
        if (thisLoop["swipe-right"] != 1 || thisLoop["swipe-left"] != 1 || !thisLoop.count("touch") ||
            !thisLoop.count("mouse-down") || !thisLoop.count("serial-recv"))
          fail("the first loop of the demo scene lacks touches, drags, received messages or its two swipes");
      } else if (thisLoop != firstLoop) {
        fail("loop " + std::to_string(tick / kLoopTicks) + " of the demo scene differs from the first:" +
             describe(thisLoop) + " against" + describe(firstLoop));
      }
      ++loopsCompared;
      loopStart = counts;
    }
  }
  const double seconds = wall.nsecsElapsed() / 1e9;
  Trace::instance().setSink(nullptr);

  std::printf("%lld ticks (%.1f h simulated) in %.1f s: %.0f ticks/s, %d clients\n", ticks,
              ticks * kTickMs / 3.6e6, seconds, ticks / seconds, clientCount);
  std::printf("events:%s\n", describe(counts).c_str());
  std::printf("sender pointer: %lld moves, %lld presses, %lld releases; receiver: %lld moves\n",
              sender.backend.moves, sender.backend.presses, sender.backend.releases, receiver.backend.moves);
  std::printf("resident size: first sample %.2f MiB, last %.2f MiB\n", samples.front() / 1048576.0,
              samples.back() / 1048576.0);
  if (counts.count("error") || counts.count("msgbox")) fail("errors or message boxes during the run");
  if (sender.backend.presses - sender.backend.releases > 1) fail("the drag pressed more than it released");
  if (samples.back() - samples.front() > kAllowedGrowth) fail("the resident size grew by more than 2 MiB");
  socat.terminate();
  socat.waitForFinished(kRealTimeWaitMs);
  std::printf("soak: %lld loops of the demo scene alike, resident size flat\n", loopsCompared);
  return 0;
}
