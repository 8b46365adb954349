#pragma once
// What a zone of mode 5 does when someone steps in: a key, a click at a screen point, or a text
// broadcast to the multi-touch clients.

#include "output/pointer.h"
#include "server/server_host.h"

#include <QString>

namespace vornix::output {

class ZoneActions {
public:
  ZoneActions(PointerOutput& pointer, server::ServerHost& server) : pointer_(pointer), server_(server) {}

  // Runs a stored action ("key:F5", "click:100,200", "send:TEXT"); one that names none is said
  // in the trace and does nothing.
  void fire(const QString& action);

private:
  PointerOutput& pointer_;
  server::ServerHost& server_;
};

}  // namespace vornix::output
