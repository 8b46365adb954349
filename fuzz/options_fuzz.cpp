// The command line with any arguments, and the values of --source, --serial, --tuio, --status
// and --config as the program reads them. Nothing fails; what is accepted is usable: serial port
// numbers 1 to 256 with a device, a TUIO target that reads back as itself, a video source of a
// consistent kind, the configuration file as given.
//
// Input: the arguments after the program's name, separated by NUL bytes, as UTF-8.

#include "app/options.h"
#include "capture/opencv_capture.h"
#include "fuzz_support.h"
#include "output/tuio_target.h"
#include "panel/configuration.h"

#include <QRegularExpression>

using namespace vornix;
using fuzz::expect;
using fuzz::shown;

namespace {

void checkTuio(const QString& text) {
  const auto target = output::parseTuioTarget(text);
  if (!target) {
    expect(!target.failure().text.isEmpty(), "a refused TUIO target says why", shown(text));
    return;
  }
  expect(target->port >= 1 && !target->host.isEmpty() && !target->host.contains(u' '),
         "a TUIO target has a host without blanks and a port", shown(text));
  const auto again = output::parseTuioTarget(target->text());
  expect(again && *again == *target, "a TUIO target reads back as itself",
         shown(text) + QStringLiteral(" -> ") + shown(target->text()));
}

void checkSource(const QString& text) {
  const capture::VideoSource source = capture::parseVideoSource(text);
  const QString what = shown(text);
  if (text.isEmpty()) {
    expect(source.firstDevice && source.kind == capture::SourceKind::Device, "no source: the first camera", what);
    return;
  }
  expect(!source.firstDevice, "a source names its device", what);
  if (text.startsWith(QLatin1String("gst:")))
    expect(source.kind == capture::SourceKind::Pipeline && source.location == text.mid(4), "gst: gives its pipeline", what);
  if (source.deviceIndex >= 0)
    expect(source.kind == capture::SourceKind::Device &&
               source.location == QStringLiteral("/dev/video%1").arg(source.deviceIndex),
           "a camera index names its /dev/video node", what);
  if (source.kind == capture::SourceKind::File || source.kind == capture::SourceKind::Sequence)
    expect(source.location == text, "a file or sequence is opened as given", what);
}

// "N=DEVICE" with N written plainly from 1 to 256 and a device: accepted as given.
void checkSerial(const QString& value) {
  static const QRegularExpression plain(QStringLiteral("^([1-9][0-9]{0,2})=(.+)$"),
                                        QRegularExpression::DotMatchesEverythingOption);
  const app::ParseResult parsed = app::parseOptions({QStringLiteral("vornix"), QStringLiteral("--serial"), value});
  const auto match = plain.match(value);
  if (!match.hasMatch() || match.captured(1).toInt() > 256) return;
  expect(!parsed.exitStatus && parsed.options.serialDevices.value(match.captured(1).toInt()) == match.captured(2),
         "--serial N=DEVICE maps port N to DEVICE", shown(value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  QStringList arguments{QStringLiteral("vornix")};
  for (const QByteArray& argument : input.split('\0')) arguments << QString::fromUtf8(argument);

  const app::ParseResult parsed = app::parseOptions(arguments);
  for (int i = 1; i < arguments.size(); ++i) {
    checkTuio(arguments[i]);
    checkSource(arguments[i]);
    checkSerial(arguments[i]);
  }
  if (parsed.exitStatus) return 0;

  const app::Options& options = parsed.options;
  for (auto it = options.serialDevices.begin(); it != options.serialDevices.end(); ++it)
    expect(it.key() >= 1 && it.key() <= 256 && !it.value().isEmpty(), "serial port numbers 1 to 256 with a device");
  if (options.tuio) checkTuio(options.tuio->text());
  if (options.status) checkTuio(options.status->text());
  if (options.source != QLatin1String("demo")) checkSource(options.source);
  if (!options.configFile.isEmpty())
    expect(panel::configurationPath(options.configFile) == options.configFile, "--config names the file used",
           shown(options.configFile));
  static const QStringList pointers{"auto", "x11", "uinput", "none"};
  expect(pointers.contains(options.pointer), "the pointer backend is one of the four", shown(options.pointer));
  return 0;
}
