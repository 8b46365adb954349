// TUIO output: building and sending the bundle of a pass that found two points, against a UDP
// socket on this machine that takes the datagrams and never reads them.

#include "doubles/scripted_loop.h"
#include "output/tuio_output.h"
#include "panel/mainfrm.h"
#include "platform/liblo_tuio_transport.h"

#include <QUdpSocket>

#include <benchmark/benchmark.h>

namespace {

using namespace vornix;

const output::TuioBundle kTwoCursors{QStringLiteral("vornix@host"),
                                     {{1, 0.25f, 0.5f, 1.5f, -2, 0.125f}, {2, 0.75f, 0.5f, 0, 0, 0}},
                                     1};

// liblo building the bundle and encoding it, nothing sent.
void BM_TuioEncodeTwoCursors(benchmark::State& state) {
  for (auto _ : state) {
    QByteArray datagram = platform::LibloTuioTransport::encode(kTwoCursors);
    benchmark::DoNotOptimize(datagram.data());
  }
}
BENCHMARK(BM_TuioEncodeTwoCursors)->Unit(benchmark::kMicrosecond);

// Everything that follows a pass that found two points: reading and normalising them, the
// cursor bookkeeping, building, encoding and sending the bundle.
void BM_TuioPassWithTwoCursors(benchmark::State& state) {
  QUdpSocket sink;
  if (!sink.bind(QHostAddress::LocalHost, 0)) return state.SkipWithError("no UDP port to send to");
  panel::MAINFRM f;
  form::ScriptedLoop loop;
  platform::LibloTuioTransport transport;
  output::TuioOutput tuio(f, loop, &transport, "host");
  tuio.setCommandLineTarget({QStringLiteral("127.0.0.1"), sink.localPort()});
  const char* mapped[] = {"256", "384", "768", "400"};
  for (std::size_t i = 0; i < 4; ++i) f.Text8[i].setText(QString::fromLatin1(mapped[i]));
  for (auto _ : state) {
    loop.spend(50);
    tuio.passDone(true, true);
  }
}
BENCHMARK(BM_TuioPassWithTwoCursors)->Unit(benchmark::kMicrosecond);

}  // namespace
