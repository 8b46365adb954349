#include "system/auto_calibration.h"

#include "base/text_rules.h"
#include "base/trace.h"
#include "output/mapping.h"

#include <cmath>

namespace vornix::system {

namespace {

const char* const kNotFound = "未找到校正图案";

QString tenths(double value) { return decimalText(std::round(value * 10) / 10); }

}  // namespace

AutoCalibration::AutoCalibration(panel::MAINFRM& f, form::EventLoop& loop, form::Dialogs& dialogs,
                                 form::PatternScreen* screen, engine::Processing& processing)
    : f_(f), loop_(loop), dialogs_(dialogs), screen_(screen), processing_(processing) {
  step.setInterval(50);
  if (screen_) screen_->onEscape = [this] { cancel(); };
}

void AutoCalibration::Command14_Click() {
  if (running()) return;
  const QRectF range = output::mouseRange(f_);
  const QRect area(int(std::lround(range.left())), int(std::lround(range.top())), int(std::lround(range.width())),
                   int(std::lround(range.height())));
  if (!screen_) return fail(QStringLiteral("no display"), true);
  if (area.width() < 2 * (output::kPatternColumns + 1) || area.height() < 2 * (output::kPatternRows + 1))
    return fail(QStringLiteral("mouse range %1x%2 too small for the pattern").arg(area.width()).arg(area.height()), true);
  if (!screen_->show(area, output::drawPattern(area.size()))) return fail(QStringLiteral("no display"), true);
  stage_ = Stage::Searching;
  startedMs_ = loop_.nowMs();
  newFrames_ = 0;
  fit_.reset();
  step.setTimerEnabled(true);
}

void AutoCalibration::Step_Timer() {
  if (!running()) return;
  if (loop_.nowMs() - startedMs_ > kTimeLimitMs)
    return fail(stage_ == Stage::Searching ? QStringLiteral("pattern not found") : QStringLiteral("no frame after the pattern"),
                true);
  if (!processing_.acquireFrame()) return;
  if (++newFrames_ <= kSettleFrames) return;
  if (stage_ == Stage::Clearing) return finish();
  const std::optional<std::vector<QPointF>> found = output::findPattern(f_.Picture1.image());
  if (!found) return;
  fit_ = output::fitCalibration(*found);
  if (!fit_) return;
  screen_->hide();
  stage_ = Stage::Clearing;
  newFrames_ = 0;
}

void AutoCalibration::cancel() {
  if (running()) fail(QStringLiteral("cancelled"), false);
}

void AutoCalibration::fail(const QString& reason, bool tellOperator) {
  stage_ = Stage::Idle;
  step.setTimerEnabled(false);
  if (screen_) screen_->hide();
  trace("error", "calibration " + reason);
  if (tellOperator) dialogs_.message(QString::fromUtf8(kNotFound));
}

void AutoCalibration::finish() {
  stage_ = Stage::Idle;
  step.setTimerEnabled(false);
  const output::CalibrationFit& fit = *fit_;
  for (std::size_t i = 0; i < 4; ++i) {
    f_.Text1[i].setText(tenths(fit.corners[i].x()));
    f_.Text2[i].setText(tenths(fit.corners[i].y()));
    form::Shape& marker = f_.Shape1[i];
    marker.move(fit.corners[i].x() - marker.width / 2, fit.corners[i].y() - marker.height / 2);
  }
  f_.calibrationGrid = fit.grid;
  f_.Option2[2].setEnabled(true);
  f_.Option2[static_cast<std::size_t>(fit.mapping)].setSelected(true);
  processing_.Command7_Click();
  trace("calibrated", QStringLiteral("%1 %2").arg(fit.mapping).arg(fit.residualPx, 0, 'f', 1));
  f_.Command4.click();
}

}  // namespace vornix::system
