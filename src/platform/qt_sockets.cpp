#include "platform/qt_sockets.h"

#include "base/gbk.h"
#include "form/errors.h"
#include "platform/machine_identity.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <signal.h>

#include <algorithm>

namespace vornix::platform {

using server::RequestId;
using server::TcpState;

class QtTcpElement : public server::TcpElement {
public:
  explicit QtTcpElement(QtSockets& sockets) : sockets_(sockets) {}
  ~QtTcpElement() override { drop(); }

  void setLocalPort(quint16 port) override { port_ = port; }

  quint16 localPort() const override {
    if (listener_ && listener_->isListening()) return listener_->serverPort();
    if (socket_) return socket_->localPort();
    return port_;
  }

  QString localIP() const override {
    if (socket_) return socket_->localAddress().toString();
    return localIPv4Address();  // the listener is bound to every address
  }

  TcpState state() const override {
    if (listener_ && listener_->isListening()) return TcpState::Listening;
    if (!socket_ || closedByUs_) return TcpState::Closed;
    if (peerClosed_ || socket_->state() != QAbstractSocket::ConnectedState) return TcpState::Closing;
    return TcpState::Connected;
  }

  bool listen() override {
    drop();
    listener_ = std::make_unique<QTcpServer>();
    listener_->setListenBacklogSize(QtSockets::kListenBacklog);
    QObject::connect(listener_.get(), &QTcpServer::newConnection, &context_, [this] { takeConnections(); });
    if (listener_->listen(QHostAddress::Any, port_)) return true;
    error_ = listener_->errorString();
    listener_.reset();
    return false;
  }

  QString errorString() const override { return error_; }

  bool accept(RequestId request) override {
    std::unique_ptr<QTcpSocket> socket = sockets_.take(request);
    if (!socket) return false;
    drop();
    socket_ = std::move(socket);
    QTcpSocket* s = socket_.get();
    // Qt then reads no more from the system than that until it is taken.
    s->setReadBufferSize(QtSockets::kReadBytes);
    readClock_.start();
    QObject::connect(s, &QTcpSocket::readyRead, &context_, [this] { arrivalDue(); });
    if (s->bytesAvailable() > 0) arrivalDue();
    // The peer closed or the connection broke: reported once, from the event loop.
    const auto peerGone = [this] {
      if (peerClosed_) return;
      peerClosed_ = true;
      QPointer<QObject> alive(&context_);
      QMetaObject::invokeMethod(
          &sockets_.events_,
          [alive, raise = events.close] {
            if (alive && raise) raise();
          },
          Qt::QueuedConnection);
    };
    QObject::connect(s, &QTcpSocket::disconnected, &context_, peerGone);
    QObject::connect(s, &QTcpSocket::errorOccurred, &context_, [this, peerGone] {
      if (socket_->state() != QAbstractSocket::ConnectedState) peerGone();
    });
    if (s->state() != QAbstractSocket::ConnectedState) peerGone();
    return true;
  }

  void sendData(const QString& text) override {
    if (state() != TcpState::Connected) throw form::HandlerError("the connection is not open");
    socket_->write(sockets_.bytesOf(text));
    socket_->flush();
  }

  qint64 unsentBytes() const override { return socket_ ? socket_->bytesToWrite() : 0; }

  QByteArray getData(qint64 maxBytes) override {
    if (!socket_) return {};
    QByteArray data = socket_->read(maxBytes);
    readInPeriod_ += data.size() + std::max<qint64>(0, socket_->skip(socket_->bytesAvailable()));
    return data;
  }

  void close() override {
    if (listener_) listener_->close();
    listener_.reset();
    if (!socket_ || closedByUs_) return;
    closedByUs_ = true;
    QObject::disconnect(socket_.get(), nullptr, &context_, nullptr);
    socket_->flush();
    socket_->disconnectFromHost();
    // What the system has taken still goes out; a peer that never reads loses the rest.
    if (socket_->state() != QAbstractSocket::UnconnectedState) socket_->abort();
  }

  void abort() override {
    if (!socket_ || closedByUs_) return;
    closedByUs_ = true;
    QObject::disconnect(socket_.get(), nullptr, &context_, nullptr);
    socket_->abort();
  }

private:
  void drop() {
    if (socket_) {
      QObject::disconnect(socket_.get(), nullptr, &context_, nullptr);
      socket_->abort();
      socket_.reset();
    }
    if (listener_) listener_->close();
    listener_.reset();
    peerClosed_ = closedByUs_ = false;
  }

  // Raises the data arrival from the event loop, once for whatever has come meanwhile, and not
  // before the connection may read again.
  void arrivalDue() {
    if (arrivalQueued_) return;
    arrivalQueued_ = true;
    QPointer<QObject> alive(&context_);
    const auto raise = [this, alive] {
      if (!alive) return;
      arrivalQueued_ = false;
      if (!socket_ || closedByUs_ || socket_->bytesAvailable() == 0) return;
      if (msUntilReading() > 0) return arrivalDue();
      if (events.dataArrival) events.dataArrival(socket_->bytesAvailable());
    };
    if (const qint64 wait = msUntilReading(); wait > 0)
      QTimer::singleShot(wait, &sockets_.events_, raise);
    else
      QMetaObject::invokeMethod(&sockets_.events_, raise, Qt::QueuedConnection);
  }

  // 0 while this period's bytes are not used up, else the wait for the next period.
  qint64 msUntilReading() {
    const qint64 now = readClock_.elapsed();
    if (now - periodStart_ >= QtSockets::kReadPeriodMs) {
      periodStart_ = now;
      readInPeriod_ = 0;
    }
    return readInPeriod_ < QtSockets::kReadBytes ? 0 : periodStart_ + QtSockets::kReadPeriodMs - now;
  }

  void takeConnections() {
    while (listener_ && listener_->hasPendingConnections()) {
      QTcpSocket* socket = listener_->nextPendingConnection();
      socket->setParent(nullptr);  // outlives the listener, which may be closed first
      const RequestId request = sockets_.hold(socket);
      if (events.connectionRequest) events.connectionRequest(request);
      sockets_.take(request);  // refused when no element accepted it
    }
  }

  QtSockets& sockets_;
  QObject context_;  // receives the socket's signals; they stop when the element goes
  std::unique_ptr<QTcpServer> listener_;
  std::unique_ptr<QTcpSocket> socket_;
  quint16 port_ = 0;
  QString error_;
  bool peerClosed_ = false;
  bool closedByUs_ = false;
  // Reading paces itself: at most kReadBytes a period.
  QElapsedTimer readClock_;
  qint64 periodStart_ = 0;
  qint64 readInPeriod_ = 0;
  bool arrivalQueued_ = false;
};

QtSockets::QtSockets() {
  struct sigaction current {};
  if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) signal(SIGPIPE, SIG_IGN);
}

QtSockets::~QtSockets() = default;

std::unique_ptr<server::TcpElement> QtSockets::create() { return std::make_unique<QtTcpElement>(*this); }

RequestId QtSockets::hold(QTcpSocket* socket) {
  const RequestId request = nextRequest_++;
  pending_[request].reset(socket);
  return request;
}

std::unique_ptr<QTcpSocket> QtSockets::take(RequestId request) {
  const auto found = pending_.find(request);
  if (found == pending_.end()) return nullptr;
  std::unique_ptr<QTcpSocket> socket = std::move(found->second);
  pending_.erase(found);
  return socket;
}

const QByteArray& QtSockets::bytesOf(const QString& text) {
  if (text != lastText_ || lastBytes_.isNull()) {
    lastText_ = text;
    lastBytes_ = toGbk(text);
  }
  return lastBytes_;
}

}  // namespace vornix::platform
