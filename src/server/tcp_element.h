#pragma once
// One TCP socket element of the multi-touch server: the listening element, or one client
// connection. The program's elements are QTcpServer / QTcpSocket (src/platform); tests may use
// scripted ones. Texts travel as GBK bytes.
//
// Events are raised from the event loop only, never from inside one of the operations below,
// so a handler may close or destroy any element, the raising one included.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

namespace vornix::server {

// Identifies a connection request raised by the listening element until an element accepts it.
using RequestId = quint64;

enum class TcpState {
  Closed,     // never connected, closed by us, or refused
  Listening,  // the listening element
  Connected,  // a client connection
  Closing,    // the peer closed its end; the close event is on its way
};

struct TcpEvents {
  std::function<void(RequestId)> connectionRequest;  // on the listening element
  std::function<void(qint64 bytesTotal)> dataArrival;
  std::function<void()> close;  // the peer closed the connection, or it broke
};

class TcpElement {
public:
  virtual ~TcpElement() = default;

  virtual void setLocalPort(quint16 port) = 0;
  // The port listened on (read back from the system once listening), else the port set.
  virtual quint16 localPort() const = 0;
  // The machine's address as clients reach it.
  virtual QString localIP() const = 0;
  virtual TcpState state() const = 0;

  // Starts listening on the local port, on every address. False when the system refuses;
  // errorString() then holds the system's own text.
  virtual bool listen() = 0;
  virtual QString errorString() const = 0;
  // Takes over the pending connection; false when that request is no longer pending.
  virtual bool accept(RequestId request) = 0;
  // Queues the text for sending and hands what it can to the system at once, without waiting.
  virtual void sendData(const QString& text) = 0;
  // Bytes given to sendData that the system has not taken yet (the client is not reading).
  virtual qint64 unsentBytes() const = 0;
  // The first maxBytes of the data received so far, as the GBK bytes that came; the rest is
  // dropped, so the receive buffer is empty afterwards.
  virtual QByteArray getData(qint64 maxBytes) = 0;
  // Ends the connection after what was sent has gone out, or stops listening. No close event.
  virtual void close() = 0;
  // Ends the connection at once, dropping what is still unsent. No close event.
  virtual void abort() = 0;

  TcpEvents events;
};

class TcpElementFactory {
public:
  virtual ~TcpElementFactory() = default;
  virtual std::unique_ptr<TcpElement> create() = 0;
};

}  // namespace vornix::server
