#pragma once
// Socket elements that reach no network: they listen at once (or refuse, when told), keep what
// is sent on them, and raise the events a test asks for: tests drive the server with them
// without the system's sockets.

#include "server/tcp_element.h"

#include <set>
#include <vector>

namespace vornix::server {

class ScriptedSockets;

class ScriptedTcpElement : public TcpElement {
public:
  explicit ScriptedTcpElement(ScriptedSockets& sockets);
  ~ScriptedTcpElement() override;

  void setLocalPort(quint16 port) override { port_ = port; }
  quint16 localPort() const override { return port_; }
  QString localIP() const override { return QStringLiteral("127.0.0.1"); }
  TcpState state() const override { return state_; }
  bool listen() override;
  QString errorString() const override;
  bool accept(RequestId request) override;
  void sendData(const QString& text) override;
  qint64 unsentBytes() const override { return unsent; }
  QByteArray getData(qint64 maxBytes) override;
  void close() override { state_ = TcpState::Closed; }
  void abort() override { state_ = TcpState::Closed; }

  // The client sends bytes: they are kept for getData and the data-arrival event is raised.
  void arrive(const QByteArray& bytes);
  // The client closes its end: the close event is raised, unless this end was closed first.
  void peerCloses();

  std::vector<QString> sent;
  QByteArray incoming;
  qint64 unsent = 0;

private:
  ScriptedSockets& sockets_;
  quint16 port_ = 0;
  TcpState state_ = TcpState::Closed;
};

class ScriptedSockets : public TcpElementFactory {
public:
  std::unique_ptr<TcpElement> create() override;

  // A client connects: the listening element raises its connection request. Returns the
  // element that accepted it, nullptr when nothing listens or nothing accepted.
  ScriptedTcpElement* connectClient();

  // When set, listening fails with this text.
  QString refuseListen;
  // The elements that exist, in the order they were made.
  std::vector<ScriptedTcpElement*> elements;

private:
  friend class ScriptedTcpElement;
  std::set<RequestId> pending_;
  RequestId nextRequest_ = 1;
  ScriptedTcpElement* accepted_ = nullptr;
};

}  // namespace vornix::server
