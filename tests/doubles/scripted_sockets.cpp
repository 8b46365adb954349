#include "doubles/scripted_sockets.h"

#include "form/errors.h"

#include <algorithm>

namespace vornix::server {

ScriptedTcpElement::ScriptedTcpElement(ScriptedSockets& sockets) : sockets_(sockets) {
  sockets_.elements.push_back(this);
}

ScriptedTcpElement::~ScriptedTcpElement() { std::erase(sockets_.elements, this); }

bool ScriptedTcpElement::listen() {
  if (!sockets_.refuseListen.isEmpty()) return false;
  state_ = TcpState::Listening;
  return true;
}

QString ScriptedTcpElement::errorString() const { return sockets_.refuseListen; }

bool ScriptedTcpElement::accept(RequestId request) {
  if (!sockets_.pending_.erase(request)) return false;
  state_ = TcpState::Connected;
  sockets_.accepted_ = this;
  return true;
}

void ScriptedTcpElement::sendData(const QString& text) {
  if (state_ != TcpState::Connected) throw form::HandlerError("not connected");
  sent.push_back(text);
}

QByteArray ScriptedTcpElement::getData(qint64 maxBytes) {
  QByteArray taken = std::exchange(incoming, QByteArray());
  if (taken.size() > maxBytes) taken.truncate(maxBytes);
  return taken;
}

void ScriptedTcpElement::arrive(const QByteArray& bytes) {
  incoming += bytes;
  // Copied: the handler may destroy this element, and the event with it.
  if (auto raise = events.dataArrival) raise(incoming.size());
}

void ScriptedTcpElement::peerCloses() {
  // An element we closed raises no more events, as the system's sockets do.
  if (state_ == TcpState::Closed) return;
  state_ = TcpState::Closing;
  if (auto raise = events.close) raise();
}

std::unique_ptr<TcpElement> ScriptedSockets::create() { return std::make_unique<ScriptedTcpElement>(*this); }

ScriptedTcpElement* ScriptedSockets::connectClient() {
  const auto listener = std::find_if(elements.begin(), elements.end(),
                                     [](const ScriptedTcpElement* e) { return e->state() == TcpState::Listening; });
  if (listener == elements.end()) return nullptr;
  const RequestId request = nextRequest_++;
  pending_.insert(request);
  accepted_ = nullptr;
  if ((*listener)->events.connectionRequest) (*listener)->events.connectionRequest(request);
  pending_.erase(request);
  return accepted_;
}

}  // namespace vornix::server
