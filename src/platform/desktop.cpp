#include "platform/desktop.h"

#include <QGuiApplication>
#include <QScreen>

namespace vornix::platform {

std::optional<Desktop> qtDesktop() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return std::nullopt;
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (!primary) return std::nullopt;
  Desktop desktop;
  desktop.area = primary->virtualGeometry();
  desktop.primaryOrigin = QGuiApplication::platformName() == u"xcb" ? primary->geometry().topLeft()
                                                                    : desktop.area.topLeft();
  return desktop;
}

}  // namespace vornix::platform
