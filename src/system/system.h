#pragma once
// The running system: the panel's controls, the modules that own their handlers, and the ports
// to the outside world they use. The handlers are attached to the controls in wiring.cpp.

#include "capture/frame_slot.h"
#include "engine/main_tick.h"
#include "engine/probes.h"
#include "engine/processing.h"
#include "form/dialogs.h"
#include "form/event_loop.h"
#include "output/mapping.h"
#include "output/pointer.h"
#include "output/pointer_dispatch.h"
#include "panel/mainfrm.h"
#include "panel/configuration.h"
#include "panel/panel_commands.h"
#include "system/startup.h"

#include <QString>
#include <QStringList>

namespace vornix::capture {
class frmDocument;
}

namespace vornix::system {

using panel::MAINFRM;

// What the system needs from outside; the program passes Qt-backed ports, tests scripted ones.
struct Ports {
  form::EventLoop& loop;
  form::Dialogs& dialogs;
  output::PointerOutput& pointer;
  // The default capture window, loaded and placed by the start-up (none: those steps are left out).
  capture::frmDocument* document = nullptr;
  // The configuration file; empty: "Vornix配置文件.ini" in the program's folder.
  QString configFile{};
  // Started detached when the operator confirms "关机".
  QStringList powerOffCommand{QStringLiteral("systemctl"), QStringLiteral("poweroff")};
};

class System {
public:
  explicit System(Ports ports);
  System(const System&) = delete;
  System& operator=(const System&) = delete;

  MAINFRM f;
  Ports ports;
  engine::MainTick tick{f};
  // Where the capture component hands each frame to the pass.
  capture::FrameSlot frameSlot;
  panel::PanelCommands commands{f};
  output::Mapping mapping{f, ports.loop};
  output::PointerDispatch dispatch{f, ports.loop, ports.pointer};
  engine::Processing processing{f, ports.loop, ports.document, frameSlot, dispatch};
  engine::Probes probes{f};
  panel::Configuration configuration{f, ports.configFile};
  Startup startup{f, ports, configuration, commands};

private:
  void wire();
};

}  // namespace vornix::system
