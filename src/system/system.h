#pragma once
// The running system: the panel's controls, the modules that own their handlers, and the ports
// to the outside world they use. The handlers are attached to the controls in wiring.cpp.

#include "capture/frame_slot.h"
#include "engine/blob_pass.h"
#include "engine/frame_pacer.h"
#include "engine/main_tick.h"
#include "engine/probes.h"
#include "engine/processing.h"
#include "form/dialogs.h"
#include "form/event_loop.h"
#include "output/mapping.h"
#include "output/multi_touch.h"
#include "output/pointer.h"
#include "output/pointer_dispatch.h"
#include "output/serial_component.h"
#include "output/serial_relay.h"
#include "output/touch_outputs.h"
#include "output/tuio_output.h"
#include "output/zone_actions.h"
#include "panel/mainfrm.h"
#include "panel/configuration.h"
#include "panel/panel_commands.h"
#include "panel/panel_events.h"
#include "server/server_host.h"
#include "server/tcp_element.h"
#include "system/auto_calibration.h"
#include "system/service_watchdog.h"
#include "system/startup.h"
#include "system/status_metrics.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

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
  // Started detached when the operator confirms "关机", through startDetached (none: it fails).
  QStringList powerOffCommand{QStringLiteral("systemctl"), QStringLiteral("poweroff")};
  std::function<bool(const QStringList& command)> startDetached{};
  // The machine's IPv4 address and host name: shown on the panel, and naming the TUIO source.
  QString hostAddress{QStringLiteral("127.0.0.1")};
  QString hostName{QStringLiteral("localhost")};
  // Socket elements of the multi-touch server; required.
  server::TcpElementFactory* sockets = nullptr;
  // The port the multi-touch server listens on (0: one the system picks).
  quint16 multiTouchPort = 5500;
  // Called once when the server window is first created, before it loads, so the program can
  // give it a view.
  std::function<void(server::frmServer&)> serverWindowCreated{};
  // The serial line of the relay (none: every open fails).
  output::SerialComponent* serial = nullptr;
  // Sends the TUIO bundles (none: no TUIO output), and the target given on the command line,
  // which wins over the one in the configuration file.
  output::TuioTransport* tuio = nullptr;
  std::optional<output::TuioTarget> tuioTarget{};
  // Sends every frame's touches to the WebSocket clients (none: no feed).
  output::TouchFeed* touchFeed = nullptr;
  // Track every blob whatever the configuration file says ("多点跟踪").
  bool trackBlobs = false;
  // End the program once the pass that took the source's last frame has finished (status 2
  // when the source ended without a frame).
  bool exitAtEnd = false;
  // Frame pacing from the command line, over 帧率同步 of the configuration file (none: the file's).
  std::optional<bool> framePacing{};
  // Called once with what the program does when it is asked to end from outside (SIGTERM and
  // the like).
  std::function<void(std::function<void()> end)> onQuitRequest{};
  // Sends one state line to the service manager ("READY=1", "WATCHDOG=1", "STATUS=…",
  // "STOPPING=1"; none: nothing is sent), and the manager's watchdog interval (0: no pings).
  std::function<void(const QString& state)> notifyService{};
  qint64 watchdogIntervalMs = 0;
  // Where the automatic calibration shows its pattern (none: there is no display), and whether
  // it runs once after the start-up.
  form::PatternScreen* patternScreen = nullptr;
  bool calibrateAtStart = false;
};

// A port the system cannot do without; a missing one is a fault of the caller.
template <typename T>
T& required(T* port, const char* what) {
  if (!port) throw std::invalid_argument(std::string("the system is given no ") + what);
  return *port;
}

class System final : public panel::PanelEvents {
public:
  explicit System(Ports ports);
  ~System() override;
  System(const System&) = delete;
  System& operator=(const System&) = delete;

  MAINFRM f;
  Ports ports;
  engine::MainTick tick{f};
  engine::FramePacer pacer{f, ports.loop, tick};
  // Where the capture component hands each frame to the pass.
  capture::FrameSlot frameSlot;
  panel::PanelCommands commands{f};
  output::Mapping mapping{f, ports.loop, ports.dialogs};
  output::PointerDispatch dispatch{f, ports.loop, ports.pointer};
  output::NoSerialLine noSerialLine;
  output::SerialRelay relay{f, ports.loop, ports.dialogs, ports.serial ? *ports.serial : noSerialLine, dispatch};
  engine::Processing processing{f, ports.loop, ports.document, frameSlot, dispatch};
  engine::Probes probes{f};
  AutoCalibration calibration{f, ports.loop, ports.dialogs, ports.patternScreen, processing};
  output::TuioOutput tuio{f, ports.loop, ports.tuio, ports.hostName};
  engine::BlobPass blobPass{f, ports.loop};
  output::TouchOutputs touches{f, tuio, ports.touchFeed};
  panel::Configuration configuration{f, ports.dialogs, ports.configFile};
  Startup startup{f, ports, configuration, commands};
  server::ServerHost server{required(ports.sockets, "socket factory"), ports.dialogs, ports.loop, ports.multiTouchPort, ports.serverWindowCreated};
  output::MultiTouch multiTouch{f, server};
  output::ZoneActions zoneActions{ports.pointer, server};
  ServiceWatchdog watchdog{f, ports.loop, ports.notifyService, ports.watchdogIntervalMs};
  // What the status server reports.
  StatusMetrics metrics{ports.loop, statusReadouts()};

  // The start-up sequence, as the first event of the loop.
  void start();

  // The panel window's mouse and close box.
  void Picture1_MouseDown(double x, double y) override;
  void Picture1_MouseMove(double x, double y) override;
  void Picture2_MouseMove(double x, double y) override;
  void Picture4_MouseMove(double x, double y) override;
  void MAINFRM_Close() override;

private:
  void wire();
  StatusReadouts statusReadouts();
  void Check10_Click();  // 帧率同步: the capture tells of new frames only while they pace the passes
  bool captureNotifies_ = false;
};

}  // namespace vornix::system
