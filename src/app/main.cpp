// vornix: the driver console. Builds the system on Qt-backed ports and runs the event loop, in
// which the start-up sequence runs first and then the panel is shown unless headless.

#include "app/application.h"
#include "app/options.h"
#include "app/quit_signals.h"
#include "base/trace.h"
#include "capture/frm_document.h"
#include "form/dialogs.h"
#include "output/pointer.h"
#include "panel/configuration.h"
#include "system/system.h"
#include "platform/detached_command.h"
#include "platform/liblo_tuio_transport.h"
#include "platform/machine_identity.h"
#include "platform/pointer_factory.h"
#include "platform/qt_event_loop.h"
#include "platform/qt_sockets.h"
#include "platform/qt_serial_port.h"
#include "platform/service_manager.h"
#include "platform/status_server.h"
#include "platform/v4l2_devices.h"
#include "platform/x11_display.h"
#include "platform/x11_screen_grabber.h"
#include "ui/camera_snapshot.h"
#include "platform/websocket_touch_feed.h"
#include "ui/panel_window.h"
#include "ui/pattern_window.h"
#include "ui/qt_dialogs.h"
#include "ui/server_window.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <memory>

using namespace vornix;

namespace {

// The status server where --status or the configuration file asks for one; a server that
// cannot start is said once on stderr, and the driver runs on without it.
std::unique_ptr<platform::StatusServer> serveStatus(const app::Options& options, system::System& system) {
  std::optional<output::TuioTarget> address = options.status;
  if (!address) {
    const QString stored = panel::storedStatusAddress(options.configFile);
    if (stored.trimmed().isEmpty()) return nullptr;
    const auto parsed = output::parseTuioTarget(stored);
    if (!parsed) {
      std::fprintf(stderr, "vornix: status server: 系统/状态端口 '%s': %s; the status server is off\n",
                   qPrintable(stored), qPrintable(parsed.failure().text));
      return nullptr;
    }
    address = *parsed;
  }
  auto server = std::make_unique<platform::StatusServer>(platform::StatusEndpoints{
      [&system] { return system.metrics.exposition(); },
      [&system] { return system.metrics.problem(); },
      [&system] { return ui::cameraSnapshot(system.f); },
  });
  if (const std::optional<QString> failure = server->listen(address->host, address->port)) {
    std::fprintf(stderr, "vornix: status server: cannot listen on %s: %s; the status server is off\n",
                 qPrintable(address->text()), qPrintable(*failure));
    return nullptr;
  }
  trace("status", address->host + ':' + QString::number(server->port()));
  return server;
}

}  // namespace

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const app::ParseResult parsed = app::parseOptions(arguments);
  if (parsed.exitStatus) return *parsed.exitStatus;
  const app::Options& options = parsed.options;
  const auto videoDevices = std::make_shared<const platform::V4l2Devices>();
  if (options.listSources) {
    for (const QString& line : capture::sourceListing(*videoDevices))
      std::puts(line.toLocal8Bit().constData());
    return 0;
  }

  // The calibration's pattern is shown on the display even when the panel is not.
  const bool patternOnDisplay = options.calibrate && options.headless && platform::X11Display::open(nullptr);
  const std::unique_ptr<QCoreApplication> application =
      app::makeApplication(argc, argv, options.headless && !patternOnDisplay);
  Trace::instance().setEnabled(options.trace);
  // A file-size limit makes the write fail (and the configuration file stay as it was)
  // instead of ending the driver.
  std::signal(SIGXFSZ, SIG_IGN);

  platform::PointerSetup pointerSetup =
      platform::makePointer(*platform::parsePointerChoice(options.pointer), panel::storedScreenSize(options.configFile));
  if (!pointerSetup.backend) {
    std::fprintf(stderr, "vornix: %s\n", qPrintable(pointerSetup.warning));
    return 1;
  }
  // Releases a button held by the drag at every end of the program.
  output::PointerOutput pointer(std::move(pointerSetup.backend), std::move(pointerSetup.cursor));

  capture::frmDocument document(
      capture::makeCapture(options.source, options.step, platform::X11ScreenGrabber::open, videoDevices));
  if (const std::optional<capture::SourceFailure> failure = document.sdk2000().openFailure()) {
    std::fprintf(stderr, "vornix: video source: %s\n", qPrintable(failure->text));
    // A replay whose source is mistyped or unreadable fails rather than waiting for nothing;
    // a simulated room without a screen never comes to have one.
    if (options.exitAtEnd || failure->kind == capture::SourceError::NoDisplay) return 2;
  }

  platform::QtEventLoop loop;
  form::ConsoleDialogs consoleDialogs;
  std::unique_ptr<ui::QtDialogs> windowDialogs;
  if (!options.headless) windowDialogs = std::make_unique<ui::QtDialogs>();
  form::Dialogs& dialogs = windowDialogs ? static_cast<form::Dialogs&>(*windowDialogs) : consoleDialogs;

  platform::QtSockets sockets;
  std::unique_ptr<ui::ServerWindow> serverWindow;
  platform::QtSerialPort serial(options.serialDevices);
  platform::LibloTuioTransport tuio;
  platform::WebSocketTouchFeed touchFeed;
  if (options.websocket) {
    const QString failure = touchFeed.listen(*options.websocket);
    if (!failure.isEmpty())
      std::fprintf(stderr, "vornix: --websocket %s: %s; no touch feed\n", qPrintable(options.websocket->text()),
                   qPrintable(failure));
  }

  std::unique_ptr<ui::PatternWindow> patternWindow;
  if (!options.headless || patternOnDisplay) patternWindow = std::make_unique<ui::PatternWindow>();

  system::Ports ports{loop, dialogs, pointer, &document};
  ports.patternScreen = patternWindow.get();
  ports.calibrateAtStart = options.calibrate;
  ports.configFile = options.configFile;
  ports.serial = &serial;
  ports.sockets = &sockets;
  ports.multiTouchPort = options.multiTouchPort;
  ports.tuio = &tuio;
  ports.tuioTarget = options.tuio;
  if (options.websocket) ports.touchFeed = &touchFeed;
  ports.trackBlobs = options.blobs;
  ports.exitAtEnd = options.exitAtEnd;
  ports.framePacing = options.framePacing;
  ports.startDetached = platform::startDetached;
  ports.hostAddress = platform::localIPv4Address();
  ports.hostName = platform::localHostName();
  ports.onQuitRequest = app::quitOnSignals;
  ports.notifyService = platform::notifyServiceManager;
  ports.watchdogIntervalMs = platform::serviceWatchdogIntervalMs();
  if (!options.headless)
    ports.serverWindowCreated = [&serverWindow](server::frmServer& server) {
      serverWindow = std::make_unique<ui::ServerWindow>(server);
    };
  system::System system(ports);
  const std::unique_ptr<platform::StatusServer> statusServer = serveStatus(options, system);

  // The start-up runs inside the event loop, so that a quit signal also ends a message box it
  // shows. The panel window is made once the start-up has decided whether the panel is shown,
  // so a hidden panel never flashes over the projected application.
  std::unique_ptr<ui::PanelWindow> window;
  loop.post([&] {
    system.start();
    if (!options.headless && !loop.quitRequested()) window = std::make_unique<ui::PanelWindow>(system.f, &system);
  });
  const int status = application->exec();
  pointer.stop();
  return status;
}
