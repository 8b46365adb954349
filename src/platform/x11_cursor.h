#pragma once
// The real desktop pointer under X11, read from the root window of the default screen.

#include "output/pointer.h"

#include <QSize>

#include <memory>

struct _XDisplay;

namespace vornix::platform {

class X11Cursor : public output::CursorReader {
public:
  // Connects to $DISPLAY; nullptr with the reason in *error when there is none.
  static std::unique_ptr<X11Cursor> open(QString* error);
  ~X11Cursor() override;
  X11Cursor(const X11Cursor&) = delete;
  X11Cursor& operator=(const X11Cursor&) = delete;

  std::optional<QPoint> cursorPos() override;
  // The size of the default screen in pixels.
  QSize screenSize() const;

private:
  explicit X11Cursor(_XDisplay* display) : display_(display) {}
  _XDisplay* display_;
};

}  // namespace vornix::platform
