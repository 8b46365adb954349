#pragma once
// The command line of the program. With no options the program behaves as an installation
// expects: panel on the desktop, first video device, configuration beside the program.

#include "output/tuio_target.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace vornix::app {

struct Options {
  bool headless = false;
  bool trace = false;
  // Video source: "demo", a device ("/dev/video0" or an index), a video file, an image-sequence
  // pattern, "gst:PIPELINE" or "screen[:QUAD[:K1]]" (the simulated room). Empty: the first video device.
  QString source;
  bool step = false;       // a file or sequence gives its next frame at each grab
  bool exitAtEnd = false;  // end once the pass that took the last frame has finished
  QString configFile;      // empty: the default file (panel::defaultConfigurationPath)
  QString pointer = "auto";
  quint16 multiTouchPort = 5500;  // the multi-touch server's port; 0: one the system picks
  // --serial N=DEVICE: the device serial port number N names instead of /dev/ttyS{N-1}.
  QMap<int, QString> serialDevices;
  bool listSources = false;  // print the video capture devices and end
  bool calibrate = false;    // run the automatic calibration once after the start-up
  // Where TUIO bundles go; none: where the configuration file says, if anywhere.
  std::optional<output::TuioTarget> tuio;
  // Where the status server listens (same [HOST:]PORT form); none: where the configuration file
  // says, if anywhere.
  std::optional<output::TuioTarget> status;
  // Where the WebSocket touch feed listens; none: no feed.
  std::optional<output::TuioTarget> websocket;
  bool blobs = false;  // track every blob ("多点跟踪") whatever the configuration file says
  // --pace: true for frame, false for tick; none: as the configuration file says (帧率同步).
  std::optional<bool> framePacing;
};

// Parses the arguments; prints --help / --version or an error and returns the exit status to
// end with when the program should not start.
struct ParseResult {
  Options options;
  std::optional<int> exitStatus;
};
ParseResult parseOptions(const QStringList& arguments);

}  // namespace vornix::app
