#include "engine/processing.h"

#include "base/frame.h"
#include "base/text_rules.h"
#include "base/trace.h"
#include "capture/frm_document.h"
#include "engine/detector.h"
#include "engine/laser_spot_detector.h"
#include "engine/reference_drift.h"
#include "engine/stripe_detector.h"
#include "engine/two_point_detector.h"
#include "form/errors.h"
#include "output/calibrated_area.h"
#include "output/pointer_dispatch.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <vector>

namespace vornix::engine {

using form::int16Of;
using form::step;

namespace {

std::int16_t int16OfText(const form::TextBox& box) { return int16Of(box.value()); }

}  // namespace

void Processing::Command2_Click() { singleTouchPass(); }
void Processing::Command10_Click() { singleTouchPass(); }

void Processing::Command7_Click() { f_.Picture2.setImage(f_.Picture1.image()); }

void Processing::Label20_Change() {
  if (f_.Label20.caption() == u"2") f_.Label21.setCaption(QStringLiteral("5"));
}

void Processing::twoPointPassDone(bool rowFound) {
  const QString& points = f_.Label20.caption();
  passDone(rowFound && points != u"0", rowFound && points == u"2");
}

bool Processing::yield() {
  loop_.processEvents();
  return !loop_.quitRequested();
}

int Processing::truncatedStride() {
  double s = 0;
  step([&] { s = int16OfText(f_.Text6); });
  return static_cast<int>(clampedStride(s));
}

double Processing::clampedStride(double s) {
  step([&] {
    if (s < 1) {
      s = 1;
      f_.Text6.setText(QStringLiteral("1"));
    }
  });
  step([&] {
    if (s > 4) {
      s = 4;
      f_.Text6.setText(QStringLiteral("4"));
    }
  });
  return s;
}

Processing::ScanFields Processing::readScanFields() {
  ScanFields scan;
  step([&] { scan.x0 = int16OfText(f_.Text1[0]); });
  step([&] { scan.y0 = int16OfText(f_.Text2[0]); });
  step([&] { scan.x3 = int16OfText(f_.Text1[3]); });
  step([&] { scan.y3 = int16OfText(f_.Text2[3]); });
  step([&] { scan.threshold = int16OfText(f_.Text4); });
  // Under a correction: the bounding rectangle of the calibrated area, within the picture.
  if (const std::optional<QPolygonF> outline = output::calibratedOutline(f_)) {
    const QRectF bounds = outline->boundingRect();
    scan.x0 = std::max(0, int(std::floor(bounds.left())));
    scan.y0 = std::max(0, int(std::floor(bounds.top())));
    scan.x3 = std::min(kFrameWidth - 1, int(std::ceil(bounds.right())));
    scan.y3 = std::min(kFrameHeight - 1, int(std::ceil(bounds.bottom())));
  }
  scanInUse_ = {ScanArea{scan.x0, scan.y0, scan.x3, scan.y3, 1}, scan.threshold};
  return scan;
}

void Processing::ignoreOutsideCalibratedArea() {
  const std::optional<QPolygonF> outline = output::calibratedOutline(f_);
  if (!outline || !f_.Picture2.hasImage()) return;
  const QImage& reference = f_.Picture2.image();
  QImage current = f_.Picture1.image();
  if (current.size() != reference.size() || current.depth() != 32 || reference.depth() != 32) return;
  // Row by row: where the row's line crosses the outline, the samples between pairs of
  // crossings are inside.
  std::vector<double> crossings;
  const qsizetype n = outline->size();
  for (int y = 0; y < current.height(); ++y) {
    crossings.clear();
    for (qsizetype i = 0; i < n; ++i) {
      const QPointF a = outline->at(i), b = outline->at((i + 1) % n);
      if ((a.y() <= y) != (b.y() <= y)) crossings.push_back(a.x() + (y - a.y()) * (b.x() - a.x()) / (b.y() - a.y()));
    }
    std::sort(crossings.begin(), crossings.end());
    auto* row = reinterpret_cast<quint32*>(current.scanLine(y));
    const auto* kept = reinterpret_cast<const quint32*>(reference.constScanLine(y));
    const auto column = [&](double x) { return int(std::clamp(x, 0.0, double(current.width()))); };
    int outsideFrom = 0;
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
      const int insideFrom = column(std::ceil(crossings[i]));
      std::copy(kept + outsideFrom, kept + std::max(outsideFrom, insideFrom), row + outsideFrom);
      outsideFrom = std::max(outsideFrom, column(std::floor(crossings[i + 1]) + 1));
    }
    std::copy(kept + outsideFrom, kept + current.width(), row + outsideFrom);
  }
  f_.Picture1.setImage(current);
}

bool Processing::acquireFrame() {
  capture::Grab grab = capture::Grab::Nothing;
  step([&] {
    if (!document_) throw std::runtime_error("no capture window");
    grab = document_->sdk2000().grabToSlot(slot_);
  });
  const bool isNew = grab == capture::Grab::New;
  if (onFrameTaken) onFrameTaken(isNew, isNew ? slot_.arrived() : std::nullopt);
  step([&] {
    if (std::optional<QImage> picture = slot_.get()) f_.Picture1.setImage(*picture);
  });
  step([&] { slot_.clear(); });
  if (!isNew) return false;
  lastNewFrameMs_ = loop_.nowMs();
  return true;
}

void Processing::releaseDragWhenFramesStopped() {
  if (lastNewFrameMs_ && loop_.nowMs() - *lastNewFrameMs_ >= kFramesStoppedMs)
    step([&] { dispatch_.dragRelease(); });
}

void Processing::Check3_Click() {
  autoThreshold_.reset();
  const bool checked = f_.Check3.value() == 1;
  if (!checked) f_.Label27.setCaption(QString());
  f_.Label27.setVisible(checked);
}

bool Processing::applyAutomaticThreshold(ScanFields& scan) {
  if (f_.Check3.value() != 1) return false;
  const ThresholdReading reading =
      autoThreshold_.pass(FrameView(f_.Picture1.image()), FrameView(f_.Picture2.image()),
                          ScanArea{scan.x0, scan.y0, scan.x3, scan.y3, 1}, !f_.Option3[2].selected());
  scan.threshold = reading.threshold;
  scanInUse_.threshold = reading.threshold;
  step([&] { f_.Label27.setCaption(decimalText(reading.threshold)); });
  if (reading.moved) trace("threshold", decimalText(reading.threshold));
  if (reading.relearn) {
    step([&] { Command7_Click(); });
    trace("relearn");
  }
  if (reading.followDrift) {
    step([&] {
      // Two images take turns as the reference, so a step writes pixels it already owns.
      QImage drifted = std::move(spareReference_);
      driftReference(f_.Picture1.image(), f_.Picture2.image(), reading.threshold, reading.lightShift, drifted);
      spareReference_ = f_.Picture2.image();
      f_.Picture2.setImage(drifted);
    });
  }
  return reading.globalChange;
}

bool Processing::referenceReady() {
  if (f_.Picture2.hasImage()) {
    step([&] { ignoreOutsideCalibratedArea(); });
    return true;
  }
  step([&] { Command7_Click(); });
  return false;
}

void Processing::followDynamicReference() {
  step([&] {
    if (f_.Option3[2].selected()) Command7_Click();
  });
}

void Processing::passDone(bool point1, bool point2) {
  step([&] {
    if (onPassDone) onPassDone(point1, point2);
  });
}

void Processing::singleTouchPass() {
  if (!yield()) return;
  double s = 0;
  step([&] { s = f_.Text6.value(); });
  const int stride = static_cast<int>(roundHalfEven(clampedStride(s)));
  ScanFields scan = readScanFields();
  if (!acquireFrame()) {
    releaseDragWhenFramesStopped();
    return;
  }

  std::optional<Touch> touch;
  const bool ready = referenceReady();
  const bool globalChange = ready && applyAutomaticThreshold(scan);
  if (ready && !globalChange) {
    step([&] {
      // The pass yields before every row, and what runs then may replace the pictures: each
      // row reads the pictures as they are at that moment.
      touch = findTouch(ScanArea{scan.x0, scan.y0, scan.x3, scan.y3, stride}, scan.threshold,
                        [&](int) -> std::optional<std::pair<FrameView, FrameView>> {
                          if (!yield()) return std::nullopt;
                          return std::pair(FrameView(f_.Picture1.image()), FrameView(f_.Picture2.image()));
                        });
    });
  }
  if (loop_.quitRequested()) return;

  if (touch) {
    const int x = touch->x, y = touch->y;
    step([&] { f_.Text5[0].setText(decimalText(x)); });
    step([&] { f_.Text5[1].setText(decimalText(y)); });
    step([&] { f_.Text16.setText(positionMessage(x, y)); });
    step([&] { f_.Label2.setCaption(decimalText(touch->difference)); });
    if (!yield()) return;
    step([&] { dispatch_.dragPress(); });
  } else if (!globalChange) {
    step([&] { dispatch_.dragRelease(); });
  }
  followDynamicReference();
  passDone(touch.has_value(), false);
}

void Processing::Command8_Click() {
  // While this mode runs the reference follows the touches, not every frame.
  step([&] { f_.Option3[3].setSelected(true); });
  if (!yield()) return;
  const int stride = truncatedStride();
  ScanFields scan = readScanFields();
  if (!acquireFrame()) return;

  StripeSearch search;
  if (referenceReady() && !applyAutomaticThreshold(scan)) {
    step([&] {
      search = findStripe(FrameView(f_.Picture1.image()), FrameView(f_.Picture2.image()),
                          ScanArea{scan.x0, scan.y0, scan.x3, scan.y3, stride}, scan.threshold);
    });
  }
  for (const QPoint& sample : search.examined) f_.Picture4.plot(sample.x(), sample.y());

  if (const std::optional<Stripe> touch = search.touch) {
    const int x = touch->x, y = touch->y;
    step([&] { f_.Label1.move(x, y, f_.Picture3.scale()); });
    step([&] { f_.Text5[0].setText(decimalText(x)); });
    step([&] { f_.Text5[1].setText(decimalText(y)); });
    step([&] { f_.Text16.setText(positionMessage(x, y)); });
    step([&] { f_.Label2.setCaption(decimalText(touch->contrast)); });
    // The stripe joins the reference, so it is reported again only where the picture brightens anew.
    step([&] { Command7_Click(); });
  }
  if (loop_.quitRequested()) return;
  followDynamicReference();
  passDone(search.touch.has_value(), false);
}

void Processing::Command12_Click() {
  if (!yield()) return;
  const int stride = truncatedStride();
  const ScanFields scan = readScanFields();
  if (!acquireFrame()) {
    releaseDragWhenFramesStopped();
    return;
  }

  LaserSearch search;
  step([&] {
    search = findLaserSpot(FrameView(f_.Picture1.image()), ScanArea{scan.x0, scan.y0, scan.x3, scan.y3, stride},
                           scan.threshold);
  });
  // The brightest red in the area, with or without a spot: what the threshold must lie below.
  step([&] { f_.Label2.setCaption(decimalText(search.brightest)); });
  const qint64 now = loop_.nowMs();
  if (const std::optional<LaserSpot> spot = search.spot) {
    const bool appeared = !lastSpotMs_ || now - *lastSpotMs_ >= kSpotAbsenceMs;
    lastSpotMs_ = now;
    step([&] { f_.Text5[0].setText(decimalText(spot->x)); });
    step([&] { f_.Text5[1].setText(decimalText(spot->y)); });
    dispatch_.withoutPointClick([&] { step([&] { f_.Text16.setText(positionMessage(spot->x, spot->y)); }); });
    if (!yield()) return;
    if (appeared) step([&] { dispatch_.spotAppeared(); });
    step([&] { dispatch_.dragPress(); });
  } else {
    step([&] { dispatch_.dragRelease(); });
  }
  if (loop_.quitRequested()) return;
  passDone(search.spot.has_value(), false);
}

void Processing::Command13_Click() {
  // Visitors stand still in the zones: the reference must not follow them.
  step([&] { f_.Option3[3].setSelected(true); });
  if (!yield()) return;
  const int stride = truncatedStride();
  ScanFields scan = readScanFields();
  if (!acquireFrame()) return;

  std::vector<ZoneChange> changes;
  if (referenceReady() && !applyAutomaticThreshold(scan)) {
    step([&] {
      const FrameView current(f_.Picture1.image()), reference(f_.Picture2.image());
      std::vector<ZoneCount> counts;
      for (const panel::Zone& zone : f_.zones.all())
        counts.push_back(countDiffering(current, reference, zone.rect, stride, scan.threshold));
      changes = zoneWatch_.update(counts);
    });
  }
  for (const ZoneChange& change : changes) {
    trace("region", QStringLiteral("%1 %2").arg(change.zone + 1).arg(change.occupied ? "on" : "off"));
    if (!change.occupied || !onZoneEntered || change.zone >= f_.zones.size()) continue;
    const QString action = f_.zones.all()[std::size_t(change.zone)].action;
    step([&] { onZoneEntered(action); });
    if (loop_.quitRequested()) return;
  }
  followDynamicReference();
  passDone(false, false);
}

void Processing::Command9_Click() {
  if (!yield()) return;
  double s = 0;
  step([&] { s = f_.Text6.value(); });
  const double stride = clampedStride(s);
  ScanFields scan = readScanFields();
  if (!acquireFrame()) return;

  // The first differing row, and the column of its first differing sample.
  std::optional<std::pair<int, double>> hit;
  if (referenceReady() && !applyAutomaticThreshold(scan)) {
    step([&] {
      RowSearch search(scan.x0, scan.x3, stride, scan.threshold);
      hit = findDifferingRow(search, scan.y0, scan.y3, [&](int) -> std::optional<std::pair<FrameView, FrameView>> {
        if (!yield()) return std::nullopt;
        return std::pair(FrameView(f_.Picture1.image()), FrameView(f_.Picture2.image()));
      });
    });
  }
  if (loop_.quitRequested()) return;
  if (hit) reportTwoPoints(hit->first, hit->second, scan);
  if (loop_.quitRequested()) return;
  followDynamicReference();
  twoPointPassDone(hit.has_value());
}

void Processing::reportTwoPoints(int y, double firstHit, const ScanFields& scan) {
  step([&] { f_.Picture4.clear(); });
  std::vector<QPoint> plotted;
  std::optional<FlagRow> flags;
  step([&] {
    flags.emplace(FrameView(f_.Picture1.image()), FrameView(f_.Picture2.image()), y + kExaminedRowOffset,
                  scan.x0, scan.x3, scan.threshold, plotted);
  });
  for (const QPoint& sample : plotted) f_.Picture4.plot(sample.x(), sample.y());
  step([&] { f_.Label20.setCaption(QStringLiteral("0")); });
  // The message is the same while the first differing sample stays where it is (a flicker
  // above the hands): emptied, the hand-overs run again for the points of this pass.
  f_.Text16.setTextQuietly(QString());
  f_.Text18.setTextQuietly(QString());
  if (!flags) return;

  const PointSearch points = searchPoints(*flags, scan.x0, scan.x3);
  // Both points hand over the same message, made from the first differing sample: the pointers
  // follow the points in Text5.
  const QString message = positionMessage(roundHalfEven(firstHit), y);
  for (const int q : points.firstPoints) {
    step([&] { f_.Label1.move(q, y, f_.Picture3.scale()); });
    step([&] { f_.Text5[0].setText(decimalText(q)); });
    step([&] { f_.Text5[1].setText(decimalText(y)); });
    step([&] { f_.Text16.setText(message); });
    step([&] { f_.Label20.setCaption(QStringLiteral("1")); });
  }
  if (!points.secondPoint || loop_.quitRequested()) return;
  const int n = *points.secondPoint;
  step([&] { f_.Label19.move(n, y, f_.Picture3.scale()); });
  step([&] { f_.Label20.setCaption(QStringLiteral("2")); });
  step([&] { f_.Text5[2].setText(decimalText(n)); });
  step([&] { f_.Text5[3].setText(decimalText(y)); });
  step([&] { f_.Text18.setText(message); });
}

}  // namespace vornix::engine
