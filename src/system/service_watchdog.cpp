#include "system/service_watchdog.h"

#include "base/text_rules.h"

namespace vornix::system {

ServiceWatchdog::ServiceWatchdog(const panel::MAINFRM& f, form::EventLoop& loop,
                                 std::function<void(const QString&)> notify, qint64 intervalMs)
    : f_(f), loop_(loop), notify_(std::move(notify)), intervalMs_(intervalMs) {
  if (!notify_ || intervalMs_ <= 0) return;
  ping.setInterval(int(std::max<qint64>(intervalMs_ / 4, 1)));
  ping.setTimerEnabled(true);
}

void ServiceWatchdog::ready() {
  lastTickEndedMs_ = loop_.nowMs();
  send(QStringLiteral("READY=1"));
}

void ServiceWatchdog::tickEnded() {
  tickStartedMs_.reset();
  lastTickEndedMs_ = loop_.nowMs();
}

void ServiceWatchdog::statusChanged(const QString& source) {
  const QString status = QStringLiteral("%1 fps, source %2, mode %3")
                             .arg(f_.Timer3.tag.isEmpty() ? QStringLiteral("0") : f_.Timer3.tag, source,
                                  decimalText(numericValue(f_.Label9.caption())));
  if (status == status_) return;
  status_ = status;
  send(QStringLiteral("STATUS=") + status);
}

std::optional<QString> ServiceWatchdog::stall(qint64 limitMs) const {
  const qint64 now = loop_.nowMs();
  if (tickStartedMs_ && now - *tickStartedMs_ > limitMs)
    return QStringLiteral("a pass has been running for %1 ms").arg(now - *tickStartedMs_);
  if (f_.Timer1.timerEnabled() && now - lastTickEndedMs_ > limitMs)
    return QStringLiteral("no pass has ended for %1 ms").arg(now - lastTickEndedMs_);
  return std::nullopt;
}

bool ServiceWatchdog::alive() const { return !stall(intervalMs_ / 2); }

void ServiceWatchdog::Ping_Timer() {
  if (alive()) send(QStringLiteral("WATCHDOG=1"));
}

void ServiceWatchdog::send(const QString& state) const {
  if (notify_) notify_(state);
}

}  // namespace vornix::system
