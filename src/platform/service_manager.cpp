#include "platform/service_manager.h"

#include <systemd/sd-daemon.h>

#include <cstdint>

namespace vornix::platform {

void notifyServiceManager(const QString& state) { sd_notify(0, state.toUtf8().constData()); }

qint64 serviceWatchdogIntervalMs() {
  std::uint64_t usec = 0;
  return sd_watchdog_enabled(0, &usec) > 0 ? qint64(usec / 1000) : 0;
}

}  // namespace vornix::platform
