#pragma once
// The service manager that started the program (systemd): its notification socket and its
// watchdog interval. Started by anything else, nothing is sent and no watchdog is asked for.

#include <QString>

namespace vornix::platform {

// Sends one state line ("READY=1", "WATCHDOG=1", "STATUS=…", "STOPPING=1").
void notifyServiceManager(const QString& state);

// The watchdog interval the manager set for this process; 0 when it set none.
qint64 serviceWatchdogIntervalMs();

}  // namespace vornix::platform
