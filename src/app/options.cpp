#include "app/options.h"

#include "capture/screen_camera.h"

#include <QCommandLineParser>

#include <cstdio>
#include <utility>

namespace vornix::app {

ParseResult parseOptions(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Vornix turns a camera watching a projected surface into pointer input.");
  const QCommandLineOption headless("headless", "Run without a window; message boxes go to stderr.");
  const QCommandLineOption trace("trace", "Print one line per event on stdout.");
  const QCommandLineOption source(
      "source", "Video source: demo, a device (/dev/video0, 0, or a stable /dev/v4l/by-id/... or "
      "by-path/... link, see --list-sources), a video file, an image sequence "
      "(frames/%04d.png), gst:PIPELINE, or screen[:x0,y0,x1,y1,x2,y2,x3,y3[:K1]], a simulated camera "
      "watching this X screen (the picture pixels of the screen's top-left, bottom-left, top-right "
      "and bottom-right corners, default the whole 320x240 picture; K1 bends it as a lens). "
      "Default: the first video device.", "SOURCE");
  const QCommandLineOption step("step", "Take the next frame of a file or sequence at each grab.");
  const QCommandLineOption exitAtEnd("exit-at-end", "End after the pass that took the last frame (status 2 "
                                     "when the source cannot be opened or gives no frame).");
  const QCommandLineOption config(
      "config", "Configuration file. Default: Vornix配置文件.ini beside the program when it is "
      "there, or when that folder is writable and not under /usr (a copied build folder), else "
      "$XDG_CONFIG_HOME/vornix/Vornix配置文件.ini (~/.config when unset), created by the first "
      "save.", "FILE");
  const QCommandLineOption pointer("pointer", "Pointer injection: auto, x11, uinput or none.", "BACKEND",
                                   "auto");
  const QCommandLineOption serial(
      "serial", "Serial port number N (1 to 256) of the relay uses DEVICE instead of /dev/ttyS{N-1}, "
      "e.g. 1=/dev/ttyUSB0; may be given several times.", "N=DEVICE");
  const QCommandLineOption multiTouchPort("multitouch-port", "TCP port of the multi-touch server "
                                          "(default 5500; 0: any free port).", "PORT", "5500");
  const QCommandLineOption listSources(
      "list-sources", "List the video capture devices (path, card, bus, pixel formats, frame "
      "sizes and rates, stable /dev/v4l paths for --source) and exit.");
  const QCommandLineOption tuio("tuio", "Send TUIO 1.1 cursors over UDP to [HOST:]PORT (host "
                                 "127.0.0.1 when omitted; 3333 is the usual port).", "[HOST:]PORT");
  const QCommandLineOption calibrate(
      "calibrate", "Calibrate automatically once after the start-up: a chessboard is shown over the "
      "mouse range for the camera, and the corners, the grid and the mapping found are saved.");
  const QCommandLineOption status("status", "Serve /metrics (Prometheus), /health and /snapshot.png over HTTP "
                                   "on [HOST:]PORT (host 127.0.0.1 when omitted). Default: off.", "[HOST:]PORT");
  const QCommandLineOption websocket("websocket", "Serve every frame's touches as JSON over WebSocket on "
                                      "[HOST:]PORT (host 127.0.0.1 when omitted); share/web/touches.html shows them.",
                                      "[HOST:]PORT");
  const QCommandLineOption blobs("blobs", "Track every blob with a lasting identity (as 多点跟踪=1 in "
                                 "section 多点触摸) for TUIO, the WebSocket feed and the trace.");
  const QCommandLineOption pace("pace", "What starts a pass: tick (every 50 ms) or frame (each new frame "
                                "of the camera). Overrides 帧率同步 of the configuration file.", "tick|frame");
  const QCommandLineOption help({"h", "help"}, "Show this help.");
  const QCommandLineOption version("version", "Show the version.");
  parser.addOptions({source, step, exitAtEnd, config, pointer, serial, multiTouchPort, tuio, status, pace, headless, trace, help, version});
  parser.addOption(listSources);
  parser.addOption(calibrate);
  parser.addOptions({websocket, blobs});

  ParseResult result;
  if (!parser.parse(arguments)) {
    std::fprintf(stderr, "vornix: %s\nTry 'vornix --help'.\n", qPrintable(parser.errorText()));
    result.exitStatus = 2;
    return result;
  }
  if (parser.isSet(help)) {
    // Parsed before the application object exists, which would otherwise name the program.
    QString text = parser.helpText();
    text.replace(QLatin1String("<executable_name>"), QLatin1String("vornix"));
    std::fputs(qPrintable(text), stdout);
    result.exitStatus = 0;
    return result;
  }
  if (parser.isSet(version)) {
    std::printf("vornix %s\n", VORNIX_VERSION);
    result.exitStatus = 0;
    return result;
  }
  if (!parser.positionalArguments().isEmpty()) {
    std::fprintf(stderr, "vornix: unexpected argument '%s'\nTry 'vornix --help'.\n",
                 qPrintable(parser.positionalArguments().first()));
    result.exitStatus = 2;
    return result;
  }
  result.options.headless = parser.isSet(headless);
  result.options.trace = parser.isSet(trace);
  result.options.source = parser.value(source);
  if (capture::isScreenSource(result.options.source)) {
    const auto placement = capture::parseScreenSource(result.options.source);
    if (!placement) {
      std::fprintf(stderr, "vornix: --source %s: %s\n", qPrintable(result.options.source),
                   qPrintable(placement.failure().text));
      result.exitStatus = 2;
      return result;
    }
  }
  result.options.step = parser.isSet(step);
  result.options.exitAtEnd = parser.isSet(exitAtEnd);
  result.options.configFile = parser.value(config);
  result.options.pointer = parser.value(pointer);
  for (const QString& mapping : parser.values(serial)) {
    const qsizetype equals = mapping.indexOf(u'=');
    bool isNumber = false;
    const int number = mapping.left(equals).toInt(&isNumber);
    if (equals < 0 || !isNumber || number < 1 || number > 256 || equals + 1 == mapping.size()) {
      std::fprintf(stderr, "vornix: --serial expects N=DEVICE with N from 1 to 256 (got '%s')\n",
                   qPrintable(mapping));
      result.exitStatus = 2;
      return result;
    }
    result.options.serialDevices.insert(number, mapping.mid(equals + 1));
  }
  result.options.listSources = parser.isSet(listSources);
  result.options.calibrate = parser.isSet(calibrate);
  // --tuio, --status and --websocket name a [HOST:]PORT each.
  const std::pair<const QCommandLineOption*, std::optional<output::TuioTarget>*> addresses[] = {
      {&tuio, &result.options.tuio}, {&status, &result.options.status}, {&websocket, &result.options.websocket}};
  for (const auto& [option, address] : addresses) {
    if (!parser.isSet(*option)) continue;
    const QString value = parser.value(*option);
    const auto parsed = output::parseTuioTarget(value);
    if (!parsed) {
      std::fprintf(stderr, "vornix: --%s %s: %s\n", qPrintable(option->names().first()), qPrintable(value),
                   qPrintable(parsed.failure().text));
      result.exitStatus = 2;
      return result;
    }
    *address = *parsed;
  }
  result.options.blobs = parser.isSet(blobs);
  if (parser.isSet(pace)) {
    const QString value = parser.value(pace);
    if (value != QLatin1String("tick") && value != QLatin1String("frame")) {
      std::fprintf(stderr, "vornix: --pace must be tick or frame (got '%s')\n", qPrintable(value));
      result.exitStatus = 2;
      return result;
    }
    result.options.framePacing = value == QLatin1String("frame");
  }
  static const QStringList pointerChoices = {"auto", "x11", "uinput", "none"};
  if (!pointerChoices.contains(result.options.pointer)) {
    std::fprintf(stderr, "vornix: --pointer must be one of auto, x11, uinput, none (got '%s')\n",
                 qPrintable(result.options.pointer));
    result.exitStatus = 2;
  }
  bool portIsNumber = false;
  const uint port = parser.value(multiTouchPort).toUInt(&portIsNumber);
  if (!portIsNumber || port > 65535) {
    std::fprintf(stderr, "vornix: --multitouch-port must be a port number from 0 to 65535 (got '%s')\n",
                 qPrintable(parser.value(multiTouchPort)));
    result.exitStatus = 2;
  }
  result.options.multiTouchPort = static_cast<quint16>(port);
  return result;
}

}  // namespace vornix::app
