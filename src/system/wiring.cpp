// The event graph of the panel: which handler each control runs. Handler bodies live in the
// modules that own the behaviour.

#include "system/system.h"

#include "base/text_rules.h"
#include "base/trace.h"
#include "capture/frm_document.h"
#include "form/errors.h"

namespace vornix::system {

System::System(Ports p) : ports(p) {
  f.Text11.initText(ports.hostAddress);
  f.Text13.initText(ports.hostName);
  f.Text12.initText(QString::number(ports.multiTouchPort));
  if (ports.tuioTarget) tuio.setCommandLineTarget(*ports.tuioTarget);
  if (ports.trackBlobs) blobPass.setCommandLineEnabled();
  wire();
  configuration.framePacingOverride = ports.framePacing;
  if (ports.framePacing) f.Check10.setValue(*ports.framePacing ? 1 : 0);
  for (form::Timer* timer : f.timers()) ports.loop.watch(*timer);
  ports.loop.watch(watchdog.ping);
  ports.loop.watch(calibration.step);
  Trace::instance().addObserver(this, [this](const char* name, const QString&) { metrics.traced(name); });
}

StatusReadouts System::statusReadouts() {
  StatusReadouts readouts;
  readouts.cameraUp = [this] {
    if (!ports.document) return false;
    const capture::CaptureComponent& source = ports.document->sdk2000();
    return source.channelNumber(false) >= 0 && !source.finished();
  };
  readouts.tcpClients = [this] { return server.existing() ? server.existing()->connectionCount() : 0; };
  readouts.pointerLost = [this] { return ports.pointer.backend().lost(); };
  readouts.passesStalled = [this](qint64 limitMs) { return watchdog.stall(limitMs); };
  return readouts;
}

// The capture outlives the system: it must not tell it of frames any more.
System::~System() {
  Trace::instance().removeObserver(this);
  if (captureNotifies_ && ports.document) ports.document->sdk2000().onNewFrame(nullptr);
}

void System::start() {
  form::runEvent("Form_Load", [this] { startup.Form_Load(); });
  if (!ports.loop.quitRequested()) watchdog.ready();
  if (ports.calibrateAtStart && !ports.loop.quitRequested()) f.Command14.click();
}

void System::Picture1_MouseDown(double x, double y) { mapping.Picture1_MouseDown(x, y); }
void System::Picture1_MouseMove(double x, double y) { probes.Picture1_MouseMove(0, 0, float(x), float(y)); }
void System::Picture2_MouseMove(double x, double y) { probes.Picture2_MouseMove(0, 0, float(x), float(y)); }
void System::Picture4_MouseMove(double x, double y) { probes.Picture4_MouseMove(0, 0, float(x), float(y)); }
// Closing the panel ends the program, as "结束" does.
void System::MAINFRM_Close() { f.Command3.click(); }

void System::Check10_Click() {
  if (!ports.document) return;
  std::function<void()> notify;
  if (pacer.active()) notify = [this] { ports.loop.post([this] { pacer.frameArrived(); }); };
  captureNotifies_ = bool(notify);
  ports.document->sdk2000().onNewFrame(std::move(notify));
}

void System::wire() {
  // Main tick and mode dispatch; a replay that asked for it ends after its last frame's pass.
  // The passes rest while the automatic calibration takes the frames.
  f.Timer1.onTimer = [this] {
    watchdog.tickStarted();
    if (!pacer.active()) {
      if (!calibration.running()) tick.Timer1_Timer();
    } else if (!tick.passRunning()) {
      processing.releaseDragWhenFramesStopped();
    }
    // A tick that comes while a frame's pass yields leaves that frame's arrival to its pass.
    if (!tick.passRunning()) ports.pointer.setFrameArrival(std::nullopt);
    watchdog.tickEnded();
    if (ports.exitAtEnd) startup.endWhenSourceFinished();
  };
  // Frame pacing: the new frames start the passes.
  f.Check10.onClick = [this] { Check10_Click(); };
  pacer.frameWaiting = [this] {
    return !calibration.running() && ports.document && ports.document->sdk2000().frameWaiting();
  };
  pacer.passDone = [this] {
    ports.pointer.setFrameArrival(std::nullopt);
    if (ports.exitAtEnd) startup.endWhenSourceFinished();
  };
  processing.onFrameTaken = [this](bool isNew, capture::FrameSlot::Arrival arrived) {
    ports.pointer.setFrameArrival(arrived);
    if (isNew) metrics.frameArrived();
  };
  f.Timer3.onTimer = [this] {
    watchdog.statusChanged(ports.document ? ports.document->sdk2000().description() : QStringLiteral("none"));
    metrics.meterRead(int(numericValue(f.Timer3.tag)));
    tick.Timer3_Timer();
  };
  watchdog.ping.onTimer = [this] { watchdog.Ping_Timer(); };
  f.Command2.onClick = [this] { processing.Command2_Click(); };
  f.Command8.onClick = [this] { processing.Command8_Click(); };
  f.Command9.onClick = [this] { processing.Command9_Click(); };
  f.Command10.onClick = [this] { processing.Command10_Click(); };
  f.Command12.onClick = [this] { processing.Command12_Click(); };
  f.Command13.onClick = [this] { processing.Command13_Click(); };
  f.zones.subscribe([this] { processing.zonesChanged(); });
  processing.onZoneEntered = [this](const QString& action) { zoneActions.fire(action); };
  f.Command7.onClick = [this] { processing.Command7_Click(); };
  f.Label20.onChange = [this] { processing.Label20_Change(); };
  f.Check3.onClick = [this] { processing.Check3_Click(); };

  // Mode selection and the run switch.
  for (auto& button : f.Option4) button.onClick = [this](int index) { commands.Option4_Click(index); };
  f.Check5.onClick = [this] { commands.Check5_Click(); };

  // Calibration and the point hand-overs; Picture1's press comes from the view.
  for (auto& button : f.Option1) button.onClick = [this](int index) { mapping.Option1_Click(index); };
  for (auto& button : f.Option2) button.onClick = [this](int index) { mapping.Option2_Click(index); };
  f.Text16.onChange = [this] { mapping.Text16_Change(); };
  f.Text18.onChange = [this] { mapping.Text18_Change(); };
  f.Command14.onClick = [this] { calibration.Command14_Click(); };
  calibration.step.onTimer = [this] { calibration.Step_Timer(); };

  // Pointer output, drag switch and the swipe detector.
  f.Text17.onChange = [this] { dispatch.Text17_Change(); };
  f.Check7.onClick = [this] { dispatch.Check7_Click(); };
  f.Text20.onChange = [this] { dispatch.Text20_Change(); };

  // Multi-touch messages and the server window's switches.
  f.Text19.onChange = [this] { multiTouch.Text19_Change(); };
  f.Timer6.onTimer = [this] { multiTouch.Timer6_Timer(); };
  f.Timer7.onTimer = [this] { multiTouch.Timer7_Timer(); };
  f.Check8.onClick = [this] { multiTouch.Check8_Click(); };
  f.Check9.onClick = [this] { multiTouch.Check9_Click(); };

  // Serial relay: the switch, the port number, the sender, the receive poll and parse.
  f.Check6.onClick = [this] { relay.Check6_Click(); };
  f.Text7.onChange = [this] { relay.Text7_Change(); };
  f.Text9.onChange = [this] { relay.Text9_Change(); };
  f.Timer5.onTimer = [this] { relay.Timer5_Timer(); };
  f.Text10.onChange = [this] { relay.Text10_Change(); };

  // TUIO and the touch feed follow the passes, or the blobs tracked on their frames; the TUIO
  // target and the tracking settings may come from the configuration file.
  processing.onPassDone = [this](bool point1, bool point2) {
    const engine::Processing::ScanInUse& scan = processing.scanInUse();
    if (const tracking::TrackedFrame* blobs = blobPass.run(scan.area, scan.threshold)) touches.blobsDone(*blobs);
    else touches.passDone(point1, point2);
    metrics.passDone(int(numericValue(f.Label9.caption())), int(point1) + int(point2));
  };
  configuration.saveFailed = [this] { metrics.configSaveFailed(); };
  configuration.tuioTargetLoaded = [this](const QString& target) { tuio.setStoredTarget(target); };
  configuration.loaded = [this] {
    blobPass.load([this](const char* key) { return configuration.storedText("多点触摸", key); });
  };

  // Configuration file, window commands and the pointer watchers.
  f.Command4.onClick = [this] { configuration.Command4_Click(); };
  f.Command5.onClick = [this] { configuration.Command5_Click(); };
  f.Command1.onClick = [this] { commands.Command1_Click(); };
  f.Command3.onClick = [this] { startup.Command3_Click(); };
  f.Command6.onClick = [this] { startup.Command6_Click(); };
  f.Command11.onClick = [this] { commands.Command11_Click(); };
  f.Timer2.onTimer = [this] { startup.Timer2_Timer(); };
  f.Timer4.onTimer = [this] { startup.Timer4_Timer(); };

  // The demo camera shows a scene that the selected projection mode detects.
  if (ports.document)
    ports.document->sdk2000().followProjectionMode([this] { return numericValue(f.Label9.caption()); });
  // A request to end from outside ends as "结束" does.
  if (ports.onQuitRequest) ports.onQuitRequest([this] { startup.end(0); });
}

}  // namespace vornix::system
