#include "platform/pointer_factory.h"

#include "platform/uinput_pointer.h"
#include "platform/x11_cursor.h"
#include "platform/x11_display.h"
#include "platform/xtest_pointer.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace vornix::platform {
namespace {

bool isSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

}  // namespace

std::optional<PointerChoice> parsePointerChoice(QStringView text) {
  if (text == u"auto") return PointerChoice::Auto;
  if (text == u"x11") return PointerChoice::X11;
  if (text == u"uinput") return PointerChoice::Uinput;
  if (text == u"none") return PointerChoice::None;
  return std::nullopt;
}

Session currentSession() {
  Session session;
  session.x11 = isSet("DISPLAY");
  session.wayland = isSet("WAYLAND_DISPLAY") || qEnvironmentVariable("XDG_SESSION_TYPE") == u"wayland";
  session.uinput = ::access("/dev/uinput", W_OK) == 0;
  return session;
}

PointerKind choosePointer(PointerChoice choice, const Session& session) {
  switch (choice) {
    case PointerChoice::X11: return PointerKind::XTest;
    case PointerChoice::Uinput: return PointerKind::Uinput;
    case PointerChoice::None: return PointerKind::None;
    case PointerChoice::Auto: break;
  }
  if (session.x11 && !session.wayland) return PointerKind::XTest;
  return session.uinput ? PointerKind::Uinput : PointerKind::None;
}

Desktop uinputDesktop(const std::optional<Desktop>& known, QSize storedRange) {
  return known.value_or(Desktop{QRect(QPoint(0, 0), storedRange), QPoint(0, 0)});
}

PointerSetup makePointer(PointerChoice choice, QSize storedRange) {
  PointerSetup setup;
  Session session = currentSession();
  QString x11Error;
  // Opened under Wayland too: XWayland still tells where the pointer is over X11 windows.
  std::shared_ptr<X11Display> x11 = X11Display::open(&x11Error);
  if (x11) setup.cursor = std::make_unique<X11Cursor>(x11);
  else session.x11 = false;

  std::function<std::optional<Desktop>()> desktop;
  if (qtDesktop()) desktop = qtDesktop;
  else if (x11) desktop = [x11] { return x11->desktop(); };

  QString uinputError;
  PointerKind kind = choosePointer(choice, session);
  if (kind == PointerKind::XTest) {
    if (x11) setup.backend = XTestPointer::open(x11, &x11Error);
    if (!setup.backend && choice == PointerChoice::Auto) {
      session.x11 = false;
      kind = choosePointer(choice, session);
    }
  }
  if (kind == PointerKind::Uinput) {
    const Desktop area = uinputDesktop(desktop ? desktop() : std::nullopt, storedRange);
    std::unique_ptr<UinputPointer> uinput = UinputPointer::create(makeUinputDevice(), area, &uinputError);
    if (uinput && desktop) uinput->followDesktop(desktop);
    setup.backend = std::move(uinput);
  }
  if (setup.backend) return setup;

  if (uinputError.isEmpty() && ::access("/dev/uinput", W_OK) != 0)
    uinputError = QStringLiteral("cannot write /dev/uinput (%1)").arg(QString::fromLocal8Bit(std::strerror(errno)));
  switch (choice) {
    case PointerChoice::None:
      setup.backend = std::make_unique<output::NoPointer>();
      break;
    case PointerChoice::Auto: {
      const QString desktopReason =
          session.wayland ? QStringLiteral("this is a Wayland session, where XTest would move only "
                                           "XWayland's own pointer")
                          : x11Error;
      setup.backend = std::make_unique<output::NoPointer>(
          QStringLiteral("vornix: no pointer output: %1; %2. %3").arg(desktopReason, uinputError, uinputRemedy()));
      break;
    }
    case PointerChoice::X11:
      setup.warning = QStringLiteral("--pointer x11: ") + x11Error;
      break;
    case PointerChoice::Uinput:
      setup.warning = QStringLiteral("--pointer uinput: %1. %2").arg(uinputError, uinputRemedy());
      break;
  }
  return setup;
}

}  // namespace vornix::platform
