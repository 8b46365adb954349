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
  const QCommandLineOption help({"h", "help"}, "Show this help.");
  const QCommandLineOption version("version", "Show the version.");
  parser.addOptions({headless, trace, help, version});

  ParseResult result;
  if (!parser.parse(arguments)) {
    std::fprintf(stderr, "vornix: %s\nTry 'vornix --help'.\n", qPrintable(parser.errorText()));
    result.exitStatus = 2;
    return result;
  }
  if (parser.isSet(help)) {
    std::fputs(qPrintable(parser.helpText()), stdout);
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
  return result;
}

}  // namespace vornix::app
