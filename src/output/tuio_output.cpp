#include "output/tuio_output.h"

#include "base/trace.h"
#include "output/mapping.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vornix::output {

namespace {

// Where value lies between start and start + length, held to 0..1; 0 for an empty length.
double fractionOf(double value, double start, double length) {
  const double fraction = (value - start) / length;
  return std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
}

}  // namespace

TuioOutput::TuioOutput(const panel::MAINFRM& f, form::EventLoop& loop, TuioTransport* transport,
                       const QString& hostName)
    : f_(f), loop_(loop), transport_(transport), source_("vornix@" + hostName) {}

void TuioOutput::setCommandLineTarget(const TuioTarget& target) {
  commandLineTarget_ = true;
  aim(target);
}

void TuioOutput::setStoredTarget(const QString& text) {
  if (commandLineTarget_) return;
  if (text.trimmed().isEmpty()) return aim(std::nullopt);
  const auto target = parseTuioTarget(text);
  if (!target) {
    report(QStringLiteral("the configuration's TUIO target '%1': %2; TUIO output is off").arg(text, target.failure().text));
    return aim(std::nullopt);
  }
  aim(*target);
}

void TuioOutput::aim(const std::optional<TuioTarget>& target) {
  if (target == target_) return;
  target_ = target;
  cursors_ = {};
  retryAtMs_ = 0;
  sendingSinceMs_.reset();
  reported_.clear();
  if (target_ && transport_) transport_->setTarget(*target_);
}

QPointF TuioOutput::normalisedPoint(std::size_t first) const {
  const QRectF range = mouseRange(f_);
  return QPointF(fractionOf(f_.Text8[first].value(), range.left(), range.width()),
                 fractionOf(f_.Text8[first + 1].value(), range.top(), range.height()));
}

void TuioOutput::passDone(bool point1, bool point2) {
  if (!target_ || !transport_) return;
  const qint64 now = loop_.nowMs();
  TuioCursors::Points points;
  if (point1) points[0] = normalisedPoint(0);
  if (point2) points[1] = normalisedPoint(2);
  send(cursors_.update(points, now), now);
}

void TuioOutput::blobsDone(const std::vector<TuioCursors::IdentifiedPoint>& blobs) {
  if (!target_ || !transport_) return;
  const qint64 now = loop_.nowMs();
  send(cursors_.update(blobs, now), now);
}

void TuioOutput::send(const std::vector<TuioCursor>& cursors, qint64 now) {
  const TuioBundle bundle{source_, cursors, sent_ + 1};
  if (now < retryAtMs_) return;

  const TuioTransport::SendResult result = transport_->send(bundle);
  if (!result) {
    retryAtMs_ = now + kRetryMs;
    sendingSinceMs_.reset();
    if (result.failure().text != reported_) report(result.failure().text);
    reported_ = result.failure().text;
    return;
  }
  if (*result == TuioTransport::Delivery::Waiting) return;
  ++sent_;
  QStringList fields{QString::number(bundle.fseq)};
  for (const TuioCursor& cursor : bundle.cursors) fields << QString::number(cursor.sessionId);
  trace("tuio", fields.join(u' '));
  if (!sendingSinceMs_) sendingSinceMs_ = now;
  if (now - *sendingSinceMs_ >= kRetryMs) reported_.clear();
}

void TuioOutput::report(const QString& error) {
  trace("error", "tuio: " + error);
  std::fprintf(stderr, "vornix: tuio: %s\n", qPrintable(error));
}

}  // namespace vornix::output
