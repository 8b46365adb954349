#include "platform/liblo_tuio_transport.h"

#include <QHostInfo>

#include <lo/lo.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vornix::platform {

namespace {

constexpr const char* kProfile = "/tuio/2Dcur";

lo_message profileMessage(const char* command) {
  lo_message message = lo_message_new();
  lo_message_add_string(message, command);
  return message;
}

}  // namespace

LibloTuioTransport::~LibloTuioTransport() {
  if (lookupId_ >= 0) QHostInfo::abortHostLookup(lookupId_);
  closeSocket();
}

QByteArray LibloTuioTransport::encode(const output::TuioBundle& bundle) {
  lo_bundle osc = lo_bundle_new(LO_TT_IMMEDIATE);

  lo_message source = profileMessage("source");
  lo_message_add_string(source, bundle.source.toUtf8().constData());
  lo_bundle_add_message(osc, kProfile, source);

  lo_message alive = profileMessage("alive");
  for (const output::TuioCursor& cursor : bundle.cursors) lo_message_add_int32(alive, cursor.sessionId);
  lo_bundle_add_message(osc, kProfile, alive);

  for (const output::TuioCursor& cursor : bundle.cursors) {
    lo_message set = profileMessage("set");
    lo_message_add_int32(set, cursor.sessionId);
    for (float value : {cursor.x, cursor.y, cursor.vx, cursor.vy, cursor.acceleration})
      lo_message_add_float(set, value);
    lo_bundle_add_message(osc, kProfile, set);
  }

  lo_message fseq = profileMessage("fseq");
  lo_message_add_int32(fseq, bundle.fseq);
  lo_bundle_add_message(osc, kProfile, fseq);

  QByteArray bytes(qsizetype(lo_bundle_length(osc)), Qt::Uninitialized);
  size_t size = 0;
  lo_bundle_serialise(osc, bytes.data(), &size);
  bytes.truncate(qsizetype(size));
  lo_bundle_free_recursive(osc);
  return bytes;
}

void LibloTuioTransport::setTarget(const output::TuioTarget& target) {
  if (lookupId_ >= 0) QHostInfo::abortHostLookup(lookupId_);
  lookupId_ = -1;
  lookupError_.clear();
  address_.reset();
  closeSocket();
  target_ = target;
}

LibloTuioTransport::SendResult LibloTuioTransport::send(const output::TuioBundle& bundle) {
  if (socket_ < 0)
    if (std::optional<SendResult> notReady = connectSocket()) return *notReady;
  const QByteArray datagram = encode(bundle);
  if (::send(socket_, datagram.constData(), size_t(datagram.size()), MSG_NOSIGNAL) < 0) return fail(errno);
  return Delivery::Sent;
}

LibloTuioTransport::SendResult LibloTuioTransport::fail(int failure) {
  QString text = QStringLiteral("cannot send to %1: %2").arg(target_.text(), QString::fromLocal8Bit(std::strerror(failure)));
  if (failure == ECONNREFUSED) text += QStringLiteral(" (no application listens on that port)");
  // The host is looked up again at the next try: its address may have changed.
  closeSocket();
  address_.reset();
  return Failure<SendError>{failure == ECONNREFUSED ? SendError::Refused : SendError::Network, text};
}

std::optional<LibloTuioTransport::SendResult> LibloTuioTransport::connectSocket() {
  if (!address_) {
    QHostAddress literal;
    if (literal.setAddress(target_.host)) {
      address_ = literal;
    } else if (!lookupError_.isEmpty()) {
      const QString text = std::exchange(lookupError_, QString());  // the next try looks the name up again
      return Failure<SendError>{SendError::UnknownHost, text};
    } else {
      if (lookupId_ < 0) startLookup();
      return Delivery::Waiting;
    }
  }

  // The address is numeric by now; the C library turns it, scope included, into a socket address.
  addrinfo hints{};
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (::getaddrinfo(address_->toString().toLatin1().constData(), QByteArray::number(target_.port).constData(),
                    &hints, &found) != 0)
    return fail(EADDRNOTAVAIL);
  socket_ = ::socket(found->ai_family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  // A broadcast address (the whole local network) is a target like any other.
  const int broadcast = 1;
  if (socket_ >= 0) ::setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, &broadcast, sizeof(broadcast));
  const bool connected = socket_ >= 0 && ::connect(socket_, found->ai_addr, found->ai_addrlen) == 0;
  const int failure = errno;
  ::freeaddrinfo(found);
  if (!connected) return fail(failure);
  return std::nullopt;
}

void LibloTuioTransport::startLookup() {
  const QString host = target_.host;
  lookupId_ = QHostInfo::lookupHost(host, &lookupContext_, [this, host](const QHostInfo& info) {
    if (info.lookupId() != lookupId_) return;  // an answer for a target given up since
    lookupId_ = -1;
    // TUIO applications mostly listen on IPv4: take an IPv4 address when the name has one.
    const QList<QHostAddress> addresses = info.addresses();
    const auto ipv4 = std::find_if(addresses.begin(), addresses.end(), [](const QHostAddress& address) {
      return address.protocol() == QAbstractSocket::IPv4Protocol;
    });
    if (ipv4 != addresses.end())
      address_ = *ipv4;
    else if (!addresses.isEmpty())
      address_ = addresses.front();
    else
      lookupError_ = QStringLiteral("cannot find the host '%1': %2")
                         .arg(host, info.error() == QHostInfo::NoError ? QStringLiteral("no address") : info.errorString());
  });
}

void LibloTuioTransport::closeSocket() {
  if (socket_ >= 0) ::close(socket_);
  socket_ = -1;
}

}  // namespace vornix::platform
