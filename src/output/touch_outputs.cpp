#include "output/touch_outputs.h"

#include "base/trace.h"
#include "output/mapping.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace vornix::output {

namespace {

double fractionOf(double value, double start, double length) {
  const double fraction = (value - start) / length;
  return std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
}

// Rounded to a tenth of a pixel and a ten-thousandth of the range: enough for any screen.
double tenths(double v) { return std::round(v * 10) / 10; }
double tenThousandths(double v) { return std::round(v * 10000) / 10000; }

}  // namespace

QByteArray touchFeedText(qint64 frame, const std::vector<ScreenTouch>& touches) {
  QJsonArray list;
  for (const ScreenTouch& t : touches)
    list.append(QJsonObject{{"id", t.id},
                            {"x", tenths(t.screen.x())},
                            {"y", tenths(t.screen.y())},
                            {"nx", tenThousandths(t.normalised.x())},
                            {"ny", tenThousandths(t.normalised.y())},
                            {"w", tenths(t.size.width())},
                            {"h", tenths(t.size.height())}});
  return QJsonDocument(QJsonObject{{"frame", frame}, {"touches", list}}).toJson(QJsonDocument::Compact);
}

ScreenTouch TouchOutputs::touchAt(qint32 id, QPointF screen, QSizeF size) const {
  const QRectF range = mouseRange(f_);
  return ScreenTouch{id, screen,
                     QPointF(fractionOf(screen.x(), range.left(), range.width()),
                             fractionOf(screen.y(), range.top(), range.height())),
                     size};
}

ScreenTouch TouchOutputs::touchOfBlob(const tracking::TrackedBlob& blob) const {
  const QPointF c = blob.centre;
  const QRectF& box = blob.box;
  const double w = std::abs(screenPoint(f_, QPointF(box.right(), c.y())).x() - screenPoint(f_, QPointF(box.left(), c.y())).x());
  const double h = std::abs(screenPoint(f_, QPointF(c.x(), box.bottom())).y() - screenPoint(f_, QPointF(c.x(), box.top())).y());
  return touchAt(blob.id, screenPoint(f_, c), QSizeF(w, h));
}

void TouchOutputs::passDone(bool point1, bool point2) {
  tuio_.passDone(point1, point2);
  ++frames_;
  if (!feed_ || !feed_->hasClients()) return;
  std::vector<ScreenTouch> touches;
  if (point1) touches.push_back(touchAt(1, QPointF(f_.Text8[0].value(), f_.Text8[1].value()), {}));
  if (point2) touches.push_back(touchAt(2, QPointF(f_.Text8[2].value(), f_.Text8[3].value()), {}));
  feed_->send(touchFeedText(frames_, touches));
}

void TouchOutputs::blobsDone(const tracking::TrackedFrame& frame) {
  std::vector<ScreenTouch> touches;
  std::vector<TuioCursors::IdentifiedPoint> cursors;
  for (const tracking::TrackedBlob& blob : frame.blobs) {
    const ScreenTouch touch = touchOfBlob(blob);
    touches.push_back(touch);
    cursors.emplace_back(touch.id, touch.normalised);
    trace("blob", QStringLiteral("%1 %2 %3").arg(touch.id).arg(std::lround(touch.screen.x())).arg(std::lround(touch.screen.y())));
  }
  for (const int id : frame.ended) trace("blob-end", QString::number(id));
  tuio_.blobsDone(cursors);
  ++frames_;
  if (feed_ && feed_->hasClients()) feed_->send(touchFeedText(frames_, touches));
}

}  // namespace vornix::output
