#pragma once
// The status server: /metrics, /health and /snapshot.png over HTTP (Qt HTTP Server) on the
// event loop's thread. Every answer is made from what the program already holds, so a request
// takes a moment of the loop and never holds up a pass. At most kMaxConnections are open at
// once; a connection beyond that is closed as soon as it is accepted, and an open one is closed
// after kConnectionLifetimeMs, so idle clients cannot hold every place.

#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QHttpServer;
class QHttpServerResponse;

namespace vornix::platform {

struct StatusEndpoints {
  std::function<QByteArray()> metrics;                 // Prometheus text, format 0.0.4
  std::function<std::optional<QString>()> problem;     // nothing while healthy
  std::function<QImage()> snapshot;
};

class StatusServer {
public:
  static constexpr int kMaxConnections = 32;
  static constexpr int kConnectionLifetimeMs = 30000;
  // A snapshot is drawn and encoded at most once in this time; requests in between get it again.
  static constexpr int kSnapshotCacheMs = 250;

  explicit StatusServer(StatusEndpoints endpoints);
  ~StatusServer();
  StatusServer(const StatusServer&) = delete;
  StatusServer& operator=(const StatusServer&) = delete;

  // Listens on host (a name or an address) and port; the reason when it cannot.
  std::optional<QString> listen(const QString& host, quint16 port);
  quint16 port() const;

private:
  QHttpServerResponse snapshot();

  StatusEndpoints endpoints_;
  std::unique_ptr<QHttpServer> http_;
  class BoundedTcpServer;
  BoundedTcpServer* tcp_ = nullptr;
  QByteArray png_;
  QElapsedTimer pngAge_;
};

}  // namespace vornix::platform
