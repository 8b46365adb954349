#include "app/options.h"

#include <QCommandLineParser>

#include <cstdio>

namespace vornix::app {

ParseResult parseOptions(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Vornix turns a camera watching a projected surface into pointer input.");
  const QCommandLineOption headless("headless", "Run without a window; message boxes go to stderr.");
  const QCommandLineOption trace("trace", "Print one line per event on stdout.");
  const QCommandLineOption source(
      "source", "Video source: demo, a device (/dev/video0 or 0), a video file, an image sequence "
      "(frames/%04d.png) or gst:PIPELINE. Default: the first video device.", "SOURCE");
  const QCommandLineOption step("step", "Take the next frame of a file or sequence at each grab.");
  const QCommandLineOption exitAtEnd("exit-at-end", "End after the pass that took the last frame (status 2 "
                                     "when the source cannot be opened or gives no frame).");
  const QCommandLineOption config("config", "Configuration file (default: Vornix配置文件.ini "
                                  "beside the program).", "FILE");
  const QCommandLineOption pointer("pointer", "Pointer injection: auto, x11, uinput or none.", "BACKEND",
                                   "auto");
  const QCommandLineOption help({"h", "help"}, "Show this help.");
  const QCommandLineOption version("version", "Show the version.");
  parser.addOptions({source, step, exitAtEnd, config, pointer, headless, trace, help, version});

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
  result.options.step = parser.isSet(step);
  result.options.exitAtEnd = parser.isSet(exitAtEnd);
  result.options.configFile = parser.value(config);
  result.options.pointer = parser.value(pointer);
  static const QStringList pointerChoices = {"auto", "x11", "uinput", "none"};
  if (!pointerChoices.contains(result.options.pointer)) {
    std::fprintf(stderr, "vornix: --pointer must be one of auto, x11, uinput, none (got '%s')\n",
                 qPrintable(result.options.pointer));
    result.exitStatus = 2;
  }
  return result;
}

}  // namespace vornix::app
