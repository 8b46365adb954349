// The TUIO backend against a real OSC receiver: liblo's own server on an ephemeral UDP port.

#include "platform/liblo_tuio_transport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <QUdpSocket>

#include <lo/lo.h>

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace vornix::platform {
namespace {

using output::TuioBundle;
using output::TuioCursor;
using output::TuioTarget;
using Delivery = output::TuioTransport::Delivery;
using SendError = output::TuioTransport::SendError;
using SendResult = output::TuioTransport::SendResult;

// Host-name lookups answer through the Qt event loop.
void needEventLoop() {
  static int argc = 1;
  static char name[] = "test_platform";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

// Sends until the transport gives an answer other than Waiting, letting lookups finish.
SendResult sendSettled(LibloTuioTransport& transport, const TuioBundle& bundle) {
  QElapsedTimer clock;
  clock.start();
  SendResult result = transport.send(bundle);
  while (result && *result == Delivery::Waiting && clock.elapsed() < 20000) {
    QCoreApplication::processEvents();
    QThread::msleep(5);
    result = transport.send(bundle);
  }
  return result;
}

bool sent(const SendResult& result) { return result && *result == Delivery::Sent; }

// An OSC server on a free UDP port that writes down every bundle and message it receives.
class Receiver {
public:
  // port: a free one when empty, from the kernel's ephemeral ports (liblo's own pick repeats
  // itself in test programs started at the same moment).
  explicit Receiver(QByteArray port = {}) : server_(nullptr) {
    if (port.isEmpty()) {
      QUdpSocket probe;
      probe.bind(QHostAddress::AnyIPv4, 0);
      port = QByteArray::number(probe.localPort());
    }
    server_ = lo_server_new_with_proto(port.constData(), LO_UDP, nullptr);
    if (!server_) throw std::runtime_error("cannot listen on UDP port " + port.toStdString());
    lo_server_add_bundle_handlers(server_, &Receiver::bundleStart, &Receiver::bundleEnd, this);
    lo_server_add_method(server_, nullptr, nullptr, &Receiver::message, this);
  }
  ~Receiver() { lo_server_free(server_); }

  quint16 port() const { return quint16(lo_server_get_port(server_)); }
  // Everything received within timeoutMs of waiting for each datagram.
  QStringList received(int datagrams, int timeoutMs = 5000) {
    for (int i = 0; i < datagrams; ++i)
      if (lo_server_recv_noblock(server_, timeoutMs) <= 0) break;
    return lines_;
  }

private:
  template <class T>
  static T valueAt(const char* bytes) {
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
  }
  static int bundleStart(lo_timetag, void* self) {
    static_cast<Receiver*>(self)->lines_ << "[";
    return 0;
  }
  static int bundleEnd(void* self) {
    static_cast<Receiver*>(self)->lines_ << "]";
    return 0;
  }
  static int message(const char* path, const char* types, lo_arg** argv, int argc, lo_message, void* self) {
    QStringList fields{QString::fromUtf8(path), QString::fromLatin1(types)};
    // liblo aligns its arguments to 4 bytes only, less than its lo_arg union asks for.
    for (int i = 0; i < argc; ++i) {
      const char* arg = reinterpret_cast<const char*>(argv[i]);
      if (types[i] == LO_STRING) fields << QString::fromUtf8(arg);
      if (types[i] == LO_INT32) fields << QString::number(valueAt<qint32>(arg));
      if (types[i] == LO_FLOAT) fields << QString::number(valueAt<float>(arg));
    }
    static_cast<Receiver*>(self)->lines_ << fields.join(' ');
    return 0;
  }

  lo_server server_;
  QStringList lines_;
};

TEST(LibloTuioTransport, BundlesArriveWithSourceAliveSetsAndFseqInThisOrder) {
  needEventLoop();
  Receiver receiver;
  LibloTuioTransport transport;
  transport.setTarget({QStringLiteral("localhost"), receiver.port()});  // looked up, IPv4 taken

  const TuioBundle two{QStringLiteral("vornix@台"), {{3, 0.25f, 0.5f, 1.5f, -2, 0.125f}, {4, 1, 0, 0, 0, 0}}, 7};
  const TuioBundle none{QStringLiteral("vornix@台"), {}, 8};
  ASSERT_TRUE(sent(sendSettled(transport, two)));
  ASSERT_TRUE(sent(transport.send(none)));

  EXPECT_EQ(receiver.received(2), (QStringList{
                                      "[",
                                      "/tuio/2Dcur ss source vornix@台",
                                      "/tuio/2Dcur sii alive 3 4",
                                      "/tuio/2Dcur sifffff set 3 0.25 0.5 1.5 -2 0.125",
                                      "/tuio/2Dcur sifffff set 4 1 0 0 0 0",
                                      "/tuio/2Dcur si fseq 7",
                                      "]",
                                      "[",
                                      "/tuio/2Dcur ss source vornix@台",
                                      "/tuio/2Dcur s alive",
                                      "/tuio/2Dcur si fseq 8",
                                      "]",
                                  }));
}

TEST(LibloTuioTransport, ARefusedPortOrAnUnknownHostFailsWithItsReasonAndIsTriedAgain) {
  needEventLoop();
  const TuioBundle bundle{QStringLiteral("vornix@test"), {}, 1};
  quint16 closedPort = 0;
  {
    Receiver gone;
    closedPort = gone.port();
  }
  LibloTuioTransport transport;
  transport.setTarget({QStringLiteral("127.0.0.1"), closedPort});
  // The refusal comes back for a datagram already sent, so a later send reports it.
  SendResult result = Delivery::Sent;
  for (int i = 0; i < 50 && sent(result); ++i, QThread::msleep(2)) result = transport.send(bundle);
  ASSERT_FALSE(result);
  EXPECT_EQ(result.failure().kind, SendError::Refused);
  EXPECT_TRUE(result.failure().text.contains(QStringLiteral("127.0.0.1:%1").arg(closedPort)));

  // Once something listens there, the same transport gets through.
  Receiver listening(QByteArray::number(closedPort));
  EXPECT_TRUE(sent(transport.send(bundle)));
  EXPECT_EQ(listening.received(1).size(), 5);

  transport.setTarget({QStringLiteral("no-such-host.invalid"), 3333});
  EXPECT_EQ(*transport.send(bundle), Delivery::Waiting);
  result = sendSettled(transport, bundle);
  ASSERT_FALSE(result);
  EXPECT_EQ(result.failure().kind, SendError::UnknownHost);
  EXPECT_TRUE(result.failure().text.contains("'no-such-host.invalid'"));
  EXPECT_EQ(*transport.send(bundle), Delivery::Waiting);  // looked up anew
  EXPECT_FALSE(sendSettled(transport, bundle));
}

}  // namespace
}  // namespace vornix::platform
