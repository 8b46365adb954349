#pragma once
// The multi-touch server's socket elements on QTcpServer / QTcpSocket.
//
// The listening element takes each incoming connection off its QTcpServer and raises a
// connection request for it; the connection waits under its request id until an element
// accepts it (or is closed when none does). Every event that may lead the server to destroy an
// element is delivered through the factory's own object, never from inside the socket's signal.
//
// A connection reads at most kReadBytes from the system each kReadPeriodMs and raises one data
// arrival for them; a client that sends faster is held back by TCP's own flow control, so no
// sender can keep the event loop busy or fill memory.

#include "server/tcp_element.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <map>
#include <memory>

class QTcpSocket;

namespace vornix::platform {

class QtSockets : public server::TcpElementFactory {
public:
  // Ignores SIGPIPE for the process, so a write to a connection the peer has reset fails with
  // an error instead of ending the program.
  QtSockets();
  ~QtSockets() override;
  std::unique_ptr<server::TcpElement> create() override;

  // How many connections the system queues for the listening element before it takes them.
  static constexpr int kListenBacklog = 1024;
  static constexpr qint64 kReadBytes = 64 * 1024;
  static constexpr qint64 kReadPeriodMs = 50;

private:
  friend class QtTcpElement;
  server::RequestId hold(QTcpSocket* socket);
  std::unique_ptr<QTcpSocket> take(server::RequestId request);
  // The GBK bytes of a text; a broadcast converts its text once for all clients.
  const QByteArray& bytesOf(const QString& text);

  QObject events_;
  std::map<server::RequestId, std::unique_ptr<QTcpSocket>> pending_;
  server::RequestId nextRequest_ = 1;
  QString lastText_;
  QByteArray lastBytes_;
};

}  // namespace vornix::platform
