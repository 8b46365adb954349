#include "platform/xtest_pointer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>

namespace vornix::platform {

std::unique_ptr<XTestPointer> XTestPointer::open(QString* error) {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) {
    if (error) *error = QStringLiteral("no X display (DISPLAY is not set)");
    return nullptr;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    if (error) *error = QStringLiteral("cannot open X display %1").arg(QString::fromLocal8Bit(name));
    return nullptr;
  }
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
    XCloseDisplay(display);
    if (error)
      *error = QStringLiteral("X display %1 has no XTest extension").arg(QString::fromLocal8Bit(name));
    return nullptr;
  }
  return std::unique_ptr<XTestPointer>(new XTestPointer(display));
}

XTestPointer::~XTestPointer() { XCloseDisplay(display_); }

// XSync rather than XFlush: the server has acted on the event when the call returns, so a
// reader on another connection already sees the new position.
void XTestPointer::moveTo(int x, int y) {
  XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
  XSync(display_, False);
}

void XTestPointer::press() { button(true); }

void XTestPointer::release() { button(false); }

void XTestPointer::button(bool down) {
  XTestFakeButtonEvent(display_, 1, down ? True : False, CurrentTime);
  XSync(display_, False);
}

}  // namespace vornix::platform
