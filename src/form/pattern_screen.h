#pragma once
// A picture shown over part of the screen, frameless and above every other window, for the
// camera to see: the automatic calibration's pattern. The program shows it with Qt; without a
// display there is none.

#include <QImage>
#include <QRect>

#include <functional>

namespace vornix::form {

class PatternScreen {
public:
  virtual ~PatternScreen() = default;
  // Shows the picture over the area, in screen coordinates (the primary monitor's top-left is
  // (0, 0)); false when it cannot be shown.
  virtual bool show(const QRect& area, const QImage& picture) = 0;
  virtual void hide() = 0;
  // Runs when the operator presses Esc while the picture shows.
  std::function<void()> onEscape;
};

}  // namespace vornix::form
