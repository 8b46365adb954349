#pragma once

#include <QString>

namespace vornix::platform {

// The machine's first non-loopback IPv4 address ("127.0.0.1" when it has none) and host name,
// shown on the panel's multi-touch frame and naming the TUIO source.
QString localIPv4Address();
QString localHostName();

}  // namespace vornix::platform
