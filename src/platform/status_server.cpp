#include "platform/status_server.h"

#include <QBuffer>
#include <QHostAddress>
#include <QHostInfo>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <unistd.h>

namespace vornix::platform {

using StatusCode = QHttpServerResponse::StatusCode;

// Qt maps a PNG quality q to zlib level (100 - q) * 9 / 91: 80 is level 1.
constexpr int kFastestPngQuality = 80;

// Accepts at most a bounded number of connections at once and hands them to the HTTP server.
class StatusServer::BoundedTcpServer : public QTcpServer {
public:
  using QTcpServer::QTcpServer;

protected:
  void incomingConnection(qintptr descriptor) override {
    if (open_ >= kMaxConnections) {
      ::close(int(descriptor));
      return;
    }
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
      delete socket;
      return;
    }
    ++open_;
    QObject::connect(socket, &QObject::destroyed, this, [this] { --open_; });
    QTimer::singleShot(kConnectionLifetimeMs, socket, [socket] { socket->abort(); });
    addPendingConnection(socket);
  }

private:
  int open_ = 0;
};

namespace {

// Only GET is served; anything else on a known path is refused with the allowed method named.
template <typename Answer>
auto getOnly(Answer answer) {
  return [answer](const QHttpServerRequest& request) {
    if (request.method() != QHttpServerRequest::Method::Get) {
      QHttpServerResponse refused("text/plain", "only GET is served here\n", StatusCode::MethodNotAllowed);
      refused.setHeader("Allow", "GET");
      return refused;
    }
    return answer();
  };
}

}  // namespace

StatusServer::StatusServer(StatusEndpoints endpoints)
    : endpoints_(std::move(endpoints)), http_(std::make_unique<QHttpServer>()) {
  http_->route("/metrics", getOnly([this] {
    return QHttpServerResponse("text/plain; version=0.0.4; charset=utf-8", endpoints_.metrics());
  }));
  http_->route("/health", getOnly([this] {
    const std::optional<QString> problem = endpoints_.problem();
    if (!problem) return QHttpServerResponse("text/plain", "ok\n");
    return QHttpServerResponse("text/plain", problem->toUtf8() + '\n', StatusCode::ServiceUnavailable);
  }));
  http_->route("/snapshot.png", getOnly([this] { return snapshot(); }));
}

StatusServer::~StatusServer() = default;

std::optional<QString> StatusServer::listen(const QString& host, quint16 port) {
  QHostAddress address(host);
  if (address.isNull()) {
    const QHostInfo found = QHostInfo::fromName(host);
    if (found.addresses().isEmpty()) return QStringLiteral("the host %1 is not known").arg(host);
    address = found.addresses().first();
  }
  auto tcp = std::make_unique<BoundedTcpServer>();
  tcp->setMaxPendingConnections(kMaxConnections);
  if (!tcp->listen(address, port)) return tcp->errorString();
  tcp_ = tcp.release();
  tcp_->setParent(http_.get());
  http_->bind(tcp_);
  return std::nullopt;
}

quint16 StatusServer::port() const { return tcp_ ? tcp_->serverPort() : 0; }

QHttpServerResponse StatusServer::snapshot() {
  if (png_.isEmpty() || !pngAge_.isValid() || pngAge_.elapsed() >= kSnapshotCacheMs) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    // The fastest compression: camera noise compresses little at any level, and the loop waits.
    if (!endpoints_.snapshot().save(&buffer, "PNG", kFastestPngQuality))
      return QHttpServerResponse("text/plain", "the picture could not be encoded\n", StatusCode::InternalServerError);
    png_ = png;
    pngAge_.start();
  }
  QHttpServerResponse response("image/png", png_);
  response.setHeader("Cache-Control", "no-store");
  return response;
}

}  // namespace vornix::platform
