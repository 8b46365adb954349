#pragma once
// The real desktop pointer under X11, read on the root window of the default screen and given
// in screen points, relative to the primary monitor.

#include "output/pointer.h"

#include <memory>

namespace vornix::platform {

class X11Display;

class X11Cursor : public output::CursorReader {
public:
  explicit X11Cursor(std::shared_ptr<X11Display> display) : display_(std::move(display)) {}

  // Nothing once the display is lost.
  std::optional<QPoint> cursorPos() override;

private:
  std::shared_ptr<X11Display> display_;
};

}  // namespace vornix::platform
