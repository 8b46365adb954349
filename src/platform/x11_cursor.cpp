#include "platform/x11_cursor.h"

#include <X11/Xlib.h>

#include <cstdlib>

namespace vornix::platform {

std::unique_ptr<X11Cursor> X11Cursor::open(QString* error) {
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
  return std::unique_ptr<X11Cursor>(new X11Cursor(display));
}

X11Cursor::~X11Cursor() { XCloseDisplay(display_); }

std::optional<QPoint> X11Cursor::cursorPos() {
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned int mask = 0;
  // False only means the pointer is on another screen; the root coordinates still hold.
  XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &winX, &winY,
                &mask);
  if (root == 0) return std::nullopt;
  return QPoint(rootX, rootY);
}

QSize X11Cursor::screenSize() const {
  const int screen = DefaultScreen(display_);
  return QSize(DisplayWidth(display_, screen), DisplayHeight(display_, screen));
}

}  // namespace vornix::platform
