#include "platform/detached_command.h"

#include <QProcess>

namespace vornix::platform {

bool startDetached(const QStringList& command) {
  return !command.isEmpty() && QProcess::startDetached(command.front(), command.mid(1));
}

}  // namespace vornix::platform
