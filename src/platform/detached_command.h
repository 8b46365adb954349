#pragma once

#include <QStringList>

namespace vornix::platform {

// Starts the command (program and arguments) without waiting for it; false when it cannot be
// started.
bool startDetached(const QStringList& command);

}  // namespace vornix::platform
