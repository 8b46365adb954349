#include "app/application.h"

#include <QApplication>
#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace vornix::app {

namespace {

// What Qt says while the desktop application connects to the display: held back, and passed on
// once the connection stands, since a failed connection is said in one line of our own.
struct HeldMessage {
  QtMsgType type;
  QByteArray category;
  QString text;
};
std::vector<HeldMessage> heldMessages;
QtMessageHandler passOn = nullptr;

void holdWhileConnecting(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    std::fputs("vornix: no display was found (DISPLAY and WAYLAND_DISPLAY name none that can be opened); "
               "--headless runs without the panel\n",
               stderr);
    std::fflush(stderr);
    std::_Exit(2);
  }
  heldMessages.push_back({type, QByteArray(context.category ? context.category : "default"), text});
}

}  // namespace

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv, bool headless) {
  if (headless) return std::make_unique<QCoreApplication>(argc, argv);
  passOn = qInstallMessageHandler(holdWhileConnecting);
  auto desktop = std::make_unique<QApplication>(argc, argv);
  qInstallMessageHandler(passOn);
  for (const HeldMessage& held : std::exchange(heldMessages, {})) {
    const QMessageLogContext context(nullptr, 0, nullptr, held.category.constData());
    qt_message_output(held.type, context, held.text);
  }
  // A message box or another window closing while the panel is hidden must not end the
  // driver; only 结束, the close box of the panel and the quit signals do.
  desktop->setQuitOnLastWindowClosed(false);
  return desktop;
}

}  // namespace vornix::app
