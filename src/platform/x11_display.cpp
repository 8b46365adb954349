#include "platform/x11_display.h"

#include "base/trace.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vornix::platform {
namespace {

// Xlib ends the process on a broken connection: first in the global I/O error handler, then in
// the display's exit handler. Ours returns for our own connections and leaves the rest of the
// process (Qt's connection, when there is one) to the handler that was there before.
std::vector<Display*>& ownDisplays() {
  static std::vector<Display*> displays;
  return displays;
}

XIOErrorHandler previousIOErrorHandler = nullptr;

int ioError(Display* display) {
  const std::vector<Display*>& own = ownDisplays();
  if (std::find(own.begin(), own.end(), display) != own.end() || !previousIOErrorHandler) return 0;
  return previousIOErrorHandler(display);
}

void installIOErrorHandler() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  previousIOErrorHandler = XSetIOErrorHandler(ioError);
}

// RandR 1.5 monitors: outputs and monitors set up with xrandr --setmonitor alike.
std::optional<QPoint> randrPrimary(Display* display) {
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
  std::optional<QPoint> origin;
  for (int i = 0; i < count; ++i)
    if (monitors[i].primary) origin = QPoint(monitors[i].x, monitors[i].y);
  if (monitors) XRRFreeMonitors(monitors);
  return origin;
}

bool hasRandr15(Display* display) {
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  return XRRQueryExtension(display, &eventBase, &errorBase) &&
         XRRQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 5));
}

}  // namespace

std::shared_ptr<X11Display> X11Display::open(QString* error) {
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
  return std::shared_ptr<X11Display>(new X11Display(display, QString::fromLocal8Bit(name)));
}

X11Display::X11Display(Display* display, QString name) : display_(display), name_(std::move(name)) {
  installIOErrorHandler();
  ownDisplays().push_back(display_);
  XSetIOErrorExitHandler(display_, &X11Display::connectionLost, this);
  if (hasRandr15(display_)) primaryQuery_ = randrPrimary;
}

X11Display::~X11Display() {
  XCloseDisplay(display_);
  std::erase(ownDisplays(), display_);
}

void X11Display::connectionLost(Display*, void* self) {
  auto* display = static_cast<X11Display*>(self);
  if (display->lost_) return;
  display->lost_ = true;
  const QString text = QStringLiteral("lost the X display %1: pointer output and the pointer read-out stop")
                           .arg(display->name_);
  std::fprintf(stderr, "vornix: %s\n", qPrintable(text));
  trace("error", text);
}

QPoint X11Display::primaryOrigin() {
  if (!handle() || !primaryQuery_) return QPoint(0, 0);
  return primaryQuery_(display_).value_or(QPoint(0, 0));
}

std::optional<Desktop> X11Display::desktop() {
  if (!handle()) return std::nullopt;
  Window root = 0;
  int x = 0, y = 0;
  unsigned int width = 0, height = 0, border = 0, depth = 0;
  // Asked of the server: the screen size cached in the connection misses later RandR changes.
  if (!XGetGeometry(display_, DefaultRootWindow(display_), &root, &x, &y, &width, &height, &border,
                    &depth) ||
      lost_)
    return std::nullopt;
  const QPoint origin = primaryOrigin();
  if (lost_) return std::nullopt;
  return Desktop{QRect(0, 0, int(width), int(height)), origin};
}

}  // namespace vornix::platform
