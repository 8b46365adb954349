#pragma once
// A picture of this machine's own screen, for the simulated room's camera. The grabber that
// asks the display server lives in the platform layer.

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

namespace vornix::capture {

class ScreenGrabber {
public:
  virtual ~ScreenGrabber() = default;
  // The whole screen as RGB32; a null image when it cannot be taken now (the display is lost).
  virtual QImage grab() = 0;
};

// Connects to the display; nullptr with the reason in *error when there is none to watch.
using ScreenGrabberFactory = std::function<std::unique_ptr<ScreenGrabber>(QString* error)>;

}  // namespace vornix::capture
