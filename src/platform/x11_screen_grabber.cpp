#include "platform/x11_screen_grabber.h"

#include "platform/x11_display.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>

namespace vornix::platform {
namespace {

// A failed request (the screen shrank between the size query and the read) is a failed grab,
// not the end of the program that Xlib's default handler would make of it.
bool requestFailed = false;
int noteFailure(Display*, XErrorEvent*) {
  requestFailed = true;
  return 0;
}

// The bits of one channel, scaled to 0..255.
int channel(unsigned long pixel, unsigned long mask) {
  if (!mask) return 0;
  const unsigned long value = (pixel & mask) >> std::countr_zero(mask);
  const unsigned long maximum = mask >> std::countr_zero(mask);
  return int(value * 255 / maximum);
}

}  // namespace

std::unique_ptr<capture::ScreenGrabber> X11ScreenGrabber::open(QString* error) {
  std::shared_ptr<X11Display> display = X11Display::open(error);
  if (!display) return nullptr;
  Display* handle = display->handle();
  const Visual* visual = DefaultVisual(handle, DefaultScreen(handle));
  if (visual->c_class != TrueColor && visual->c_class != DirectColor) {
    if (error)
      *error = QStringLiteral("the X screen %1 is not true colour (depth %2); start it with 24 bits")
                   .arg(display->name())
                   .arg(DefaultDepth(handle, DefaultScreen(handle)));
    return nullptr;
  }
  return std::unique_ptr<capture::ScreenGrabber>(new X11ScreenGrabber(std::move(display)));
}

QImage X11ScreenGrabber::grab() {
  const std::optional<Desktop> desktop = display_->desktop();
  Display* handle = display_->handle();
  if (!desktop || !handle) return {};
  const QRect area = desktop->area;
  requestFailed = false;
  XErrorHandler previous = XSetErrorHandler(noteFailure);
  XImage* image = XGetImage(handle, DefaultRootWindow(handle), 0, 0, unsigned(area.width()),
                            unsigned(area.height()), AllPlanes, ZPixmap);
  XSync(handle, False);
  XSetErrorHandler(previous);
  if (!image || requestFailed) {
    if (image) XDestroyImage(image);
    return {};
  }
  QImage picture(image->width, image->height, QImage::Format_RGB32);
  const bool rgb32 = image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
                     image->red_mask == 0xff0000 && image->green_mask == 0xff00 && image->blue_mask == 0xff;
  for (int y = 0; y < image->height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
    const auto* source = reinterpret_cast<const quint32*>(image->data + qsizetype(y) * image->bytes_per_line);
    for (int x = 0; x < image->width; ++x) {
      if (rgb32) {
        row[x] = source[x] | 0xff000000u;
      } else {
        const unsigned long pixel = XGetPixel(image, x, y);
        row[x] = qRgb(channel(pixel, image->red_mask), channel(pixel, image->green_mask),
                      channel(pixel, image->blue_mask));
      }
    }
  }
  XDestroyImage(image);
  return picture;
}

}  // namespace vornix::platform
