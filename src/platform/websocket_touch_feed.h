#pragma once
// The touch feed over WebSocket (--websocket [HOST:]PORT): every frame's touches as one JSON
// text to each connected client. A client that falls behind by more than kMaxUnsentBytes is
// disconnected, so no client can make the program's memory grow.

#include "output/touch_outputs.h"
#include "output/tuio_target.h"

#include <QString>

#include <memory>
#include <vector>

class QWebSocket;
class QWebSocketServer;

namespace vornix::platform {

class WebSocketTouchFeed final : public output::TouchFeed {
public:
  static constexpr qint64 kMaxUnsentBytes = 256 * 1024;

  WebSocketTouchFeed();
  ~WebSocketTouchFeed() override;

  // Starts listening; the reason when it cannot (the address is taken, the host is unknown).
  QString listen(const output::TuioTarget& address);

  bool hasClients() const override { return !clients_.empty(); }
  void send(const QByteArray& text) override;

private:
  void drop(QWebSocket* client);

  std::unique_ptr<QWebSocketServer> server_;
  std::vector<QWebSocket*> clients_;
};

}  // namespace vornix::platform
