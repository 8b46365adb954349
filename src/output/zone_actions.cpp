#include "output/zone_actions.h"

#include "base/trace.h"
#include "panel/zones.h"

namespace vornix::output {

void ZoneActions::fire(const QString& action) {
  QString reason;
  const std::optional<panel::ZoneAction> parsed = panel::parseZoneAction(action, &reason);
  if (!parsed) {
    trace("error", "zone: " + reason);
    return;
  }
  switch (parsed->kind) {
    case panel::ZoneAction::Kind::Key:
      pointer_.tapKey(parsed->text);
      break;
    case panel::ZoneAction::Kind::Click:
      pointer_.SetCursorPos(parsed->point.x(), parsed->point.y());
      pointer_.mouse_event(kLeftClick);
      break;
    case panel::ZoneAction::Kind::Send: {
      // As the multi-touch sender hands its messages over: the server adds the NUL.
      server::frmServer& server = server_.window();
      server.TxtSend.setText(parsed->text);
      server.TxtSend_KeyUp(13, 0);
      break;
    }
  }
}

}  // namespace vornix::output
