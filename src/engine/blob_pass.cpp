#include "engine/blob_pass.h"

#include "base/text_rules.h"
#include "base/trace.h"

#include <QRegularExpression>

#include <cstdio>
#include <optional>

namespace vornix::engine {

namespace {

void tellOperator(const QString& text) {
  std::fprintf(stderr, "vornix: %s\n", qPrintable(text));
  trace("error", text);
}

// The stored number under key; absent: fallback; not a number: fallback, said to the operator.
double storedNumber(const std::function<QString(const char*)>& storedText, const char* key, double fallback) {
  static const QRegularExpression number(QStringLiteral("^\\s*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?\\s*$"));
  const QString text = storedText(key);
  if (text.trimmed().isEmpty()) return fallback;
  if (!number.match(text).hasMatch()) {
    tellOperator(QStringLiteral("多点触摸/%1 = '%2' is no number; %3 is used").arg(QString::fromUtf8(key), text).arg(fallback));
    return fallback;
  }
  return numericValue(text);
}

}  // namespace

void BlobPass::load(const std::function<QString(const char* key)>& storedText) {
  const tracking::TrackingParameters defaults;
  tracking::TrackingParameters p = defaults;
  stored_ = storedNumber(storedText, "多点跟踪", 0) == 1;
  p.minArea = int(storedNumber(storedText, "最小面积", defaults.minArea));
  p.maxJump = storedNumber(storedText, "最大跳距", defaults.maxJump);
  p.smoothing.minCutoff = storedNumber(storedText, "平滑最小截止", defaults.smoothing.minCutoff);
  p.smoothing.beta = storedNumber(storedText, "平滑速度系数", defaults.smoothing.beta);
  p.smoothing.derivativeCutoff = storedNumber(storedText, "平滑导数截止", defaults.smoothing.derivativeCutoff);
  if (!(p.smoothing.minCutoff > 0) || !(p.smoothing.derivativeCutoff > 0)) {
    tellOperator(QStringLiteral("多点触摸: the smoothing cutoffs must be above 0; the defaults are used"));
    p.smoothing = defaults.smoothing;
  }
  tracker_.setParameters(p);
}

const tracking::TrackedFrame* BlobPass::run(const ScanArea& area, int threshold) {
  if (!enabled()) {
    if (!running_) return nullptr;
    running_ = false;
    tracker_.clear();
    // The identities that were alive end; nothing is tracked until tracking is turned on again.
    stopped_ = tracker_.update(FrameView(), nullptr, QRect(), threshold, loop_.nowMs() / 1000.0);
    return &stopped_;
  }
  running_ = true;
  const FrameView current(f_.Picture1.image());
  std::optional<FrameView> reference;
  if (f_.Option3[3].selected() && f_.Picture2.hasImage()) reference.emplace(f_.Picture2.image());
  const QRect scan(QPoint(area.x0, area.y0), QPoint(area.x3, area.y3));
  return &tracker_.update(current, reference ? &*reference : nullptr, scan, threshold, loop_.nowMs() / 1000.0);
}

}  // namespace vornix::engine
