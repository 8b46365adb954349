#include "system/status_metrics.h"

#include <cstring>

namespace vornix::system {

StatusMetrics::StatusMetrics(form::EventLoop& loop, StatusReadouts readouts)
    : loop_(loop), readouts_(std::move(readouts)), startedMs_(loop.nowMs()) {}

void StatusMetrics::frameArrived() {
  ++frames_;
  lastFrameMs_ = loop_.nowMs();
}

void StatusMetrics::passDone(int mode, int points) {
  ++passes_[mode];
  touches_ += std::uint64_t(points);
}

void StatusMetrics::traced(const char* name) {
  if (std::strcmp(name, "serial-send") == 0) ++serialSent_;
  else if (std::strcmp(name, "serial-recv") == 0) ++serialReceived_;
  else if (std::strcmp(name, "tuio") == 0) ++tuioBundles_;
}

namespace {

class Exposition {
public:
  void family(const char* name, const char* type, const char* help) {
    text_ += QStringLiteral("# HELP %1 %2\n# TYPE %1 %3\n").arg(QLatin1String(name), QLatin1String(help),
                                                                 QLatin1String(type));
  }
  void sample(const char* name, double value, const QString& labels = {}) {
    text_ += QLatin1String(name) + (labels.isEmpty() ? QString() : '{' + labels + '}') + ' ' +
             QString::number(value, 'g', 17) + '\n';
  }
  QByteArray bytes() const { return text_.toUtf8(); }

private:
  QString text_;
};

}  // namespace

QByteArray StatusMetrics::exposition() const {
  const bool cameraUp = readouts_.cameraUp && readouts_.cameraUp();
  Exposition e;
  e.family("vornix_up", "gauge", "1 while the driver runs and answers.");
  e.sample("vornix_up", 1);
  e.family("vornix_fps", "gauge", "Main ticks in the last second, as the panel's meter shows them.");
  e.sample("vornix_fps", fps_);
  e.family("vornix_frames_total", "counter", "New frames taken from the video source.");
  e.sample("vornix_frames_total", double(frames_));
  e.family("vornix_passes_total", "counter", "Recognition passes run, by projection mode.");
  for (const auto& [mode, count] : passes_)
    e.sample("vornix_passes_total", double(count), QStringLiteral("mode=\"%1\"").arg(mode));
  e.family("vornix_touches_total", "counter", "Points found by the passes (a held touch counts once a pass).");
  e.sample("vornix_touches_total", double(touches_));
  e.family("vornix_camera_up", "gauge", "1 while the video source is open and has not ended.");
  e.sample("vornix_camera_up", cameraUp ? 1 : 0);
  e.family("vornix_serial_messages_total", "counter", "Messages of the serial relay.");
  e.sample("vornix_serial_messages_total", double(serialSent_), QStringLiteral("direction=\"sent\""));
  e.sample("vornix_serial_messages_total", double(serialReceived_), QStringLiteral("direction=\"received\""));
  e.family("vornix_tcp_clients", "gauge", "Clients connected to the multi-touch server.");
  e.sample("vornix_tcp_clients", readouts_.tcpClients ? readouts_.tcpClients() : 0);
  e.family("vornix_tuio_bundles_total", "counter", "TUIO bundles sent.");
  e.sample("vornix_tuio_bundles_total", double(tuioBundles_));
  e.family("vornix_config_save_failures_total", "counter", "Saves of the configuration that did not reach the disk.");
  e.sample("vornix_config_save_failures_total", double(configSaveFailures_));
  return e.bytes();
}

std::optional<QString> StatusMetrics::problem() const {
  if (readouts_.pointerLost && readouts_.pointerLost()) return QStringLiteral("pointer backend lost");
  if (readouts_.passesStalled)
    if (std::optional<QString> stall = readouts_.passesStalled(kQuietLimitMs)) return "passes stalled: " + *stall;
  const qint64 quietMs = loop_.nowMs() - lastFrameMs_.value_or(startedMs_);
  if (quietMs > kQuietLimitMs) {
    const bool cameraDown = readouts_.cameraUp && !readouts_.cameraUp();
    return QStringLiteral("no frame for %1 s").arg(quietMs / 1000) +
           (cameraDown ? QStringLiteral(" (the video source is down)") : QString());
  }
  return std::nullopt;
}

}  // namespace vornix::system
