#pragma once
// One connection to the X server, shared by the XTest backend and the pointer reader. Losing
// the server never ends the program: the connection is marked lost, the failure is traced,
// and its users stop (they find no handle) while the rest of the program goes on.

#include "platform/desktop.h"

#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

struct _XDisplay;

namespace vornix::platform {

class X11Display {
public:
  // The primary monitor's top-left on the root window; nothing when no monitor is primary.
  using PrimaryQuery = std::function<std::optional<QPoint>(_XDisplay*)>;

  // Connects to $DISPLAY; nullptr with the reason in *error when there is no usable display.
  static std::shared_ptr<X11Display> open(QString* error);
  ~X11Display();
  X11Display(const X11Display&) = delete;
  X11Display& operator=(const X11Display&) = delete;

  // Null once the connection is lost.
  _XDisplay* handle() const { return lost_ ? nullptr : display_; }
  bool lost() const { return lost_; }
  QString name() const { return name_; }

  // Where screen point (0, 0) lies on the root window: the primary RandR monitor's top-left,
  // else the root origin. Asked afresh each time, so a monitor plugged in later counts.
  QPoint primaryOrigin();
  // The root window and the primary monitor on it; nothing once the connection is lost.
  std::optional<Desktop> desktop();

  // Tests stand in for the RandR answer.
  void setPrimaryQuery(PrimaryQuery query) { primaryQuery_ = std::move(query); }

private:
  X11Display(_XDisplay* display, QString name);
  static void connectionLost(_XDisplay* display, void* self);

  _XDisplay* display_;
  QString name_;
  PrimaryQuery primaryQuery_;
  bool lost_ = false;
};

}  // namespace vornix::platform
