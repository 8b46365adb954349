#pragma once
// Where the TUIO bundles go: "[HOST:]PORT", given with --tuio or stored by an installer under
// "TUIO"/"目标" in the configuration file.

#include "base/result.h"

#include <QString>

namespace vornix::output {

struct TuioTarget {
  QString host;  // a host name or an address
  quint16 port = 0;

  // "HOST:PORT", an IPv6 address in brackets.
  QString text() const;
  bool operator==(const TuioTarget&) const = default;
};

// The host taken when the text names only the port.
inline constexpr const char* kDefaultTuioHost = "127.0.0.1";

enum class TuioTargetError {
  UnclosedBrackets,   // "[::1" or "[::1]3333"
  UnbracketedIpv6,    // "::1:3333"
  BlankInHost,
  BadPort,            // missing, not a number, or outside 1..65535
};

// "3333", "192.168.1.20:3333", "tablet.local:3333" or "[::1]:3333", blanks around it ignored.
Result<TuioTarget, TuioTargetError> parseTuioTarget(const QString& text);

}  // namespace vornix::output
