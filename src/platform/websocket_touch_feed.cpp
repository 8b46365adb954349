#include "platform/websocket_touch_feed.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QWebSocket>
#include <QWebSocketServer>

#include <algorithm>

namespace vornix::platform {

WebSocketTouchFeed::WebSocketTouchFeed()
    : server_(std::make_unique<QWebSocketServer>(QStringLiteral("vornix"), QWebSocketServer::NonSecureMode)) {
  QObject::connect(server_.get(), &QWebSocketServer::newConnection, server_.get(), [this] {
    while (QWebSocket* client = server_->nextPendingConnection()) {
      clients_.push_back(client);
      QObject::connect(client, &QWebSocket::disconnected, client, [this, client] { drop(client); });
    }
  });
}

WebSocketTouchFeed::~WebSocketTouchFeed() {
  for (QWebSocket* client : clients_) {
    QObject::disconnect(client, nullptr, nullptr, nullptr);
    client->abort();
    delete client;
  }
}

QString WebSocketTouchFeed::listen(const output::TuioTarget& address) {
  QHostAddress host(address.host);
  if (host.isNull()) {
    const QHostInfo info = QHostInfo::fromName(address.host);
    if (info.addresses().isEmpty()) return QStringLiteral("unknown host '%1'").arg(address.host);
    host = info.addresses().first();
  }
  if (!server_->listen(host, address.port)) return server_->errorString();
  return {};
}

void WebSocketTouchFeed::send(const QByteArray& text) {
  const QString message = QString::fromUtf8(text);
  for (QWebSocket* client : std::vector<QWebSocket*>(clients_)) {
    if (client->bytesToWrite() > kMaxUnsentBytes) {
      drop(client);
      continue;
    }
    client->sendTextMessage(message);
  }
}

void WebSocketTouchFeed::drop(QWebSocket* client) {
  const auto it = std::find(clients_.begin(), clients_.end(), client);
  if (it == clients_.end()) return;
  clients_.erase(it);
  QObject::disconnect(client, nullptr, nullptr, nullptr);
  client->abort();
  client->deleteLater();
}

}  // namespace vornix::platform
