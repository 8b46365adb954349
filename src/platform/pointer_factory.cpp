#include "platform/pointer_factory.h"

#include "platform/uinput_pointer.h"
#include "platform/x11_cursor.h"
#include "platform/xtest_pointer.h"

namespace vornix::platform {

std::optional<PointerChoice> parsePointerChoice(QStringView text) {
  if (text == u"auto") return PointerChoice::Auto;
  if (text == u"x11") return PointerChoice::X11;
  if (text == u"uinput") return PointerChoice::Uinput;
  if (text == u"none") return PointerChoice::None;
  return std::nullopt;
}

PointerSetup makePointer(PointerChoice choice, QSize screen) {
  PointerSetup setup;
  QString cursorError;
  std::unique_ptr<X11Cursor> cursor = X11Cursor::open(&cursorError);
  if (cursor && screen.isEmpty()) screen = cursor->screenSize();

  QString x11Error;
  QString uinputError;
  switch (choice) {
    case PointerChoice::None:
      setup.backend = std::make_unique<output::RecordingPointer>();
      break;
    case PointerChoice::X11:
      setup.backend = XTestPointer::open(&x11Error);
      if (!setup.backend) setup.warning = QStringLiteral("--pointer x11: ") + x11Error;
      break;
    case PointerChoice::Uinput:
      setup.backend = UinputPointer::create(screen, &uinputError);
      if (!setup.backend) setup.warning = QStringLiteral("--pointer uinput: ") + uinputError;
      break;
    case PointerChoice::Auto:
      setup.backend = XTestPointer::open(&x11Error);
      if (!setup.backend) setup.backend = UinputPointer::create(screen, &uinputError);
      if (!setup.backend) {
        setup.backend = std::make_unique<output::RecordingPointer>();
        setup.warning = QStringLiteral("no pointer injection, pointer events are only recorded: ") +
                        x11Error + QStringLiteral("; ") + uinputError;
      }
      break;
  }
  setup.cursor = std::move(cursor);
  return setup;
}

}  // namespace vornix::platform
