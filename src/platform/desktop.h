#pragma once
// The desktop the pointer moves over. Screen points are pixels of the primary monitor with
// (0, 0) at its top-left; other monitors lie at negative or larger coordinates.

#include <QPoint>
#include <QRect>

#include <optional>

namespace vornix::platform {

struct Desktop {
  QRect area;            // every monitor together, in pixels
  QPoint primaryOrigin;  // the primary monitor's top-left, in the coordinates of area

  bool operator==(const Desktop&) const = default;
};

// Qt's virtual desktop when the program runs a QGuiApplication with a screen; nothing otherwise.
// Only X11 names a primary monitor; elsewhere the desktop's own top-left stands for it.
std::optional<Desktop> qtDesktop();

}  // namespace vornix::platform
