// The serial receiver on any input, cut into reads anyhow: the receive poll and the receive
// parse of the relay, through the panel's controls and the pointer dispatch, as the program
// runs them. Nothing fails, the receive buffer stays within its 50 characters, and only
// messages that came over the line reach the dispatch. A well-formed message after at most 28
// characters of noise without ":" is handled exactly once, however the reads cut it.
//
// Input: a first byte whose low bit picks the mode, then what FuzzedDataProvider reads: the
// bytes of the reads from the front and their lengths from the back (arbitrary), or the noise,
// X, Y, the trailing noise without ":" and the lengths of the reads (well-formed).

#include "fuzz_support.h"
#include "doubles/recording_pointer.h"
#include "support/test_system.h"
#include "support/trace_capture.h"

using namespace vornix;
using fuzz::expect;
using fuzz::shown;
using Event = output::RecordingPointer::Event;

namespace {

constexpr qint64 kPollMs = 5;
constexpr qsizetype kBufferLimit = 50;
const QString kMarker = QStringLiteral(":::MOUSEX=");

struct Receiver {
  Receiver() { ts.f.Check6.setValue(1); }  // "本机接收" is selected at start
  testing::TraceCapture trace;
  testing::TestSystem ts;

  void read(const QString& chunk) {
    ts.serial.chunks.push_back(chunk);
    ts.loop.advance(kPollMs);
    expect(ts.f.Text10.text().size() <= kBufferLimit, "the receive buffer is emptied beyond 50 characters",
           shown(ts.f.Text10.text()));
  }
  QStringList received() const {
    QStringList messages;
    for (const QString& line : trace.lines())
      if (line.startsWith(QLatin1String("serial-recv "))) messages << line.mid(12);
    return messages;
  }
};

QString latin1(const std::string& bytes) { return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())); }

void arbitraryReads(FuzzedDataProvider& in) {
  Receiver receiver;
  QString line;
  while (in.remaining_bytes() > 0) {
    const QString chunk = latin1(in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 64)));
    line += chunk;
    receiver.read(chunk);
  }
  const QStringList received = receiver.received();
  expect(received.size() <= line.count(kMarker), "no more messages than markers on the line", shown(line));
  for (const QString& message : received)
    expect(message.size() == 22 && line.contains(message), "a handled message came over the line",
           shown(message) + QStringLiteral(" from ") + shown(line));
}

QString noiseWithoutColon(FuzzedDataProvider& in, std::size_t length) {
  QString noise = latin1(in.ConsumeBytesAsString(length));
  noise.replace(u':', u';');
  return noise;
}

void wellFormedMessage(FuzzedDataProvider& in) {
  const QString before = noiseWithoutColon(in, in.ConsumeIntegralInRange<std::size_t>(0, 28));
  const int x = in.ConsumeIntegralInRange(0, 9999), y = in.ConsumeIntegralInRange(0, 9999);
  const QString message = QString::asprintf(":::MOUSEX=%04d,Y=%04d.", x, y);
  const QString after = noiseWithoutColon(in, in.ConsumeIntegralInRange<std::size_t>(0, 80));
  const QString line = before + message + after;

  Receiver receiver;
  qsizetype at = 0;
  while (at < line.size()) {
    const qsizetype length = in.remaining_bytes() > 0 ? in.ConsumeIntegralInRange<qsizetype>(0, 30) : line.size();
    receiver.read(line.mid(at, length));
    at += length;
  }
  receiver.read({});
  const QString what = QStringLiteral("reads of ") + shown(line);
  expect(receiver.received() == QStringList{message}, "the message is handled exactly once", what);
  const Event moved = Event::move(x, x == 0 && y == 0 ? 1 : y);
  expect(receiver.ts.pointerEvents.events() == std::vector<Event>{moved}, "the cursor goes to the point once", what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  FuzzedDataProvider in(data + 1, size - 1);
  if (data[0] & 1)
    wellFormedMessage(in);
  else
    arbitraryReads(in);
  return 0;
}
