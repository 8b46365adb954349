#include "platform/machine_identity.h"

#include <QHostInfo>
#include <QNetworkInterface>

namespace vornix::platform {

QString localIPv4Address() {
  for (const QHostAddress& address : QNetworkInterface::allAddresses())
    if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback()) return address.toString();
  return "127.0.0.1";
}

QString localHostName() { return QHostInfo::localHostName(); }

}  // namespace vornix::platform
