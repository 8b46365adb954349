#pragma once
// The X screen as the simulated room's camera sees it: the root window, read with XGetImage on
// a connection of its own.

#include "capture/screen_grabber.h"

#include <memory>

namespace vornix::platform {

class X11Display;

class X11ScreenGrabber final : public capture::ScreenGrabber {
public:
  // Connects to $DISPLAY; nullptr with the reason in *error when there is no display, or its
  // pixels are not true colour.
  static std::unique_ptr<capture::ScreenGrabber> open(QString* error);

  // A null image once the display is lost or the read fails.
  QImage grab() override;

private:
  explicit X11ScreenGrabber(std::shared_ptr<X11Display> display) : display_(std::move(display)) {}
  std::shared_ptr<X11Display> display_;
};

}  // namespace vornix::platform
