#include "platform/x11_cursor.h"

#include "platform/x11_display.h"

#include <X11/Xlib.h>

namespace vornix::platform {

std::optional<QPoint> X11Cursor::cursorPos() {
  const QPoint origin = display_->primaryOrigin();
  Display* display = display_->handle();
  if (!display) return std::nullopt;
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned int mask = 0;
  // False only means the pointer is on another screen; the root coordinates still hold.
  XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &winX, &winY,
                &mask);
  if (root == 0 || display_->lost()) return std::nullopt;
  return QPoint(rootX, rootY) - origin;
}

}  // namespace vornix::platform
