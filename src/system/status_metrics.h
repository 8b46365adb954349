#pragma once
// What the status server tells a monitoring system: counters fed by the wiring as things
// happen, and read-outs of the running system taken at the moment of a request. The text
// is Prometheus's exposition format 0.0.4; the health is one line.

#include "form/event_loop.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

namespace vornix::system {

// Read-outs of the running system; an absent one reads as healthy / zero.
struct StatusReadouts {
  std::function<bool()> cameraUp;
  std::function<int()> tcpClients;
  std::function<bool()> pointerLost;
  // Why the passes are not running (nothing while they run), given how long is too long.
  std::function<std::optional<QString>(qint64 limitMs)> passesStalled;
};

class StatusMetrics {
public:
  // Without a new frame or a finished pass for this long the program is not tracking.
  static constexpr qint64 kQuietLimitMs = 2000;

  StatusMetrics(form::EventLoop& loop, StatusReadouts readouts);

  void frameArrived();
  void passDone(int mode, int points);
  // The meter's reading of the second that just ended.
  void meterRead(int framesPerSecond) { fps_ = framesPerSecond; }
  // An event of the trace: the serial messages and the TUIO bundles are counted from there.
  void traced(const char* name);
  void configSaveFailed() { ++configSaveFailures_; }

  QByteArray exposition() const;
  // Why the program is not tracking now; nothing while frames arrive and passes run.
  std::optional<QString> problem() const;

private:
  form::EventLoop& loop_;
  StatusReadouts readouts_;
  qint64 startedMs_;
  std::optional<qint64> lastFrameMs_;
  int fps_ = 0;
  std::uint64_t frames_ = 0;
  std::map<int, std::uint64_t> passes_;
  std::uint64_t touches_ = 0;
  std::uint64_t serialSent_ = 0;
  std::uint64_t serialReceived_ = 0;
  std::uint64_t tuioBundles_ = 0;
  std::uint64_t configSaveFailures_ = 0;
};

}  // namespace vornix::system
