#pragma once
// What the service manager hears of the running program: that it is up, that it is alive, what
// it is doing. Alive means that the main tick keeps coming and no tick (with its pass) runs for
// longer than half the watchdog interval; otherwise the pings stop and the manager restarts a
// hung driver. A main tick switched off on the panel is no stall.

#include "form/controls.h"
#include "form/event_loop.h"
#include "panel/mainfrm.h"

#include <QString>

#include <functional>
#include <optional>

namespace vornix::system {

class ServiceWatchdog {
public:
  // notify sends one state line ("READY=1", "WATCHDOG=1", "STATUS=…"); none: nothing is sent.
  // intervalMs: the manager's watchdog interval; 0: no pings.
  ServiceWatchdog(const panel::MAINFRM& f, form::EventLoop& loop, std::function<void(const QString&)> notify,
                  qint64 intervalMs);

  // Pings a quarter of the interval apart, while the program is alive.
  form::Timer ping{QStringLiteral("WatchdogPing")};

  void ready();
  void tickStarted() { tickStartedMs_ = loop_.nowMs(); }
  void tickEnded();
  // The meter, the source and the mode, sent when they differ from the last status sent.
  void statusChanged(const QString& source);
  void Ping_Timer();

  // Why the passes are not running, when a tick has been running for more than limitMs or none
  // has ended for that long while the main tick is on; nothing while they run.
  std::optional<QString> stall(qint64 limitMs) const;

private:
  bool alive() const;
  void send(const QString& state) const;

  const panel::MAINFRM& f_;
  form::EventLoop& loop_;
  std::function<void(const QString&)> notify_;
  qint64 intervalMs_;
  std::optional<qint64> tickStartedMs_;
  qint64 lastTickEndedMs_ = 0;
  QString status_;
};

}  // namespace vornix::system
