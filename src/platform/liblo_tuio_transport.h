#pragma once
// TUIO bundles as OSC over UDP: liblo builds and encodes each bundle, a datagram socket
// connected to the target sends it, so that a port nobody listens on shows up as a refused
// send instead of going unnoticed. Host names are looked up without blocking the passes.

#include "output/tuio_output.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

#include <optional>

namespace vornix::platform {

class LibloTuioTransport : public output::TuioTransport {
public:
  LibloTuioTransport() = default;
  ~LibloTuioTransport() override;
  LibloTuioTransport(const LibloTuioTransport&) = delete;
  LibloTuioTransport& operator=(const LibloTuioTransport&) = delete;

  void setTarget(const output::TuioTarget& target) override;
  SendResult send(const output::TuioBundle& bundle) override;

  // The bundle as it goes on the wire: one OSC bundle, time tag "immediately", of /tuio/2Dcur
  // messages "source", "alive", "set" per cursor and "fseq".
  static QByteArray encode(const output::TuioBundle& bundle);

private:
  // Looks the target's host up or opens the socket, whichever comes next: nothing once the
  // socket is open, else why nothing can be sent yet.
  std::optional<SendResult> connectSocket();
  // A failed send or connect: says why and starts again from the lookup at the next try.
  SendResult fail(int failure);
  void startLookup();
  void closeSocket();

  output::TuioTarget target_;
  std::optional<QHostAddress> address_;
  int lookupId_ = -1;
  QString lookupError_;
  int socket_ = -1;
  QObject lookupContext_;  // drops a lookup's answer that comes after this object is gone
};

}  // namespace vornix::platform
