#include "output/pointer.h"

#include "base/trace.h"

#include <cstdio>

namespace vornix::output {

void NoPointer::announce() {
  if (notice_.isEmpty()) return;
  std::fprintf(stderr, "%s\n", qPrintable(notice_));
  notice_.clear();
}

PointerOutput::PointerOutput(PointerBackend& backend, CursorReader* cursor)
    : backend_(&backend), cursor_(cursor) {}

PointerOutput::PointerOutput(std::unique_ptr<PointerBackend> backend,
                             std::unique_ptr<CursorReader> cursor)
    : ownedBackend_(std::move(backend)),
      ownedCursor_(std::move(cursor)),
      backend_(ownedBackend_.get()),
      cursor_(ownedCursor_.get()) {}

PointerOutput::~PointerOutput() { releaseHeldButton(); }

void PointerOutput::SetCursorPos(int x, int y) {
  if (stopped_) return;
  const auto injected = std::chrono::steady_clock::now();
  backend_->moveTo(x, y);
  lastSet_ = QPoint(x, y);
  trace("cursor", QString::number(x) + ' ' + QString::number(y));
  if (frameArrived_) {
    const std::chrono::duration<double, std::milli> age = injected - *frameArrived_;
    trace("frame-age", QString::number(age.count(), 'f', 3));
  }
}

void PointerOutput::mouse_event(int flags) {
  if (stopped_) return;
  switch (flags) {
    case kLeftDown:
      press();
      trace("mouse", QStringLiteral("down"));
      break;
    case kLeftUp:
      release();
      trace("mouse", QStringLiteral("up"));
      break;
    case kLeftClick:
      press();
      release();
      trace("mouse", QStringLiteral("click"));
      break;
    default:
      break;
  }
}

void PointerOutput::tapKey(const QString& keysym) {
  if (stopped_) return;
  if (!backend_->tapKey(keysym)) {
    trace("error", "key " + keysym + " is not a key name the " + backend_->name() + " backend knows");
    return;
  }
  trace("key", keysym);
}

QPoint PointerOutput::GetCursorPos() {
  if (cursor_) {
    if (const std::optional<QPoint> pos = cursor_->cursorPos()) return *pos;
  }
  return lastSet_.value_or(QPoint(-1, -1));
}

void PointerOutput::releaseHeldButton() {
  if (!held_) return;
  release();
  trace("mouse", QStringLiteral("up"));
}

void PointerOutput::stop() {
  releaseHeldButton();
  stopped_ = true;
}

void PointerOutput::press() {
  backend_->press();
  held_ = true;
}

void PointerOutput::release() {
  backend_->release();
  held_ = false;
}

}  // namespace vornix::output
