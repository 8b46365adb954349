#include "platform/xtest_pointer.h"

#include "platform/x11_display.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstdint>

namespace vornix::platform {
namespace {

// Root coordinates travel as 16-bit numbers: beyond them a point would wrap to the other side.
int rootCoordinate(qint64 value) {
  return int(std::clamp<qint64>(value, INT16_MIN, INT16_MAX));
}

}  // namespace

std::unique_ptr<XTestPointer> XTestPointer::open(std::shared_ptr<X11Display> display, QString* error) {
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(display->handle(), &eventBase, &errorBase, &major, &minor)) {
    if (error) *error = QStringLiteral("X display %1 has no XTest extension").arg(display->name());
    return nullptr;
  }
  return std::unique_ptr<XTestPointer>(new XTestPointer(std::move(display)));
}

// XSync rather than XFlush: the server has acted on the event when the call returns, so a
// reader on another connection already sees the new position.
void XTestPointer::moveTo(int x, int y) {
  const QPoint origin = display_->primaryOrigin();
  Display* display = display_->handle();
  if (!display) return;
  XTestFakeMotionEvent(display, DefaultScreen(display), rootCoordinate(qint64(x) + origin.x()),
                       rootCoordinate(qint64(y) + origin.y()), CurrentTime);
  XSync(display, False);
}

bool XTestPointer::lost() const { return display_->lost(); }

void XTestPointer::press() { button(true); }

void XTestPointer::release() { button(false); }

bool XTestPointer::tapKey(const QString& keysym) {
  Display* display = display_->handle();
  if (!display) return true;
  const KeySym sym = XStringToKeysym(keysym.toLatin1().constData());
  const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
  if (code == 0) return false;
  XTestFakeKeyEvent(display, code, True, CurrentTime);
  XTestFakeKeyEvent(display, code, False, CurrentTime);
  XSync(display, False);
  return true;
}

void XTestPointer::button(bool down) {
  Display* display = display_->handle();
  if (!display) return;
  XTestFakeButtonEvent(display, 1, down ? True : False, CurrentTime);
  XSync(display, False);
}

}  // namespace vornix::platform
