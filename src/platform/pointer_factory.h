#pragma once
// Chooses the pointer backend for --pointer auto|x11|uinput|none.

#include "output/pointer.h"
#include "platform/desktop.h"

#include <QSize>
#include <QStringView>

#include <memory>
#include <optional>

namespace vornix::platform {

enum class PointerChoice { Auto, X11, Uinput, None };
enum class PointerKind { XTest, Uinput, None };

// "auto", "x11", "uinput" or "none"; nothing for any other text.
std::optional<PointerChoice> parsePointerChoice(QStringView text);

// What the automatic choice looks at.
struct Session {
  bool x11 = false;      // DISPLAY is set
  bool wayland = false;  // WAYLAND_DISPLAY is set or XDG_SESSION_TYPE is wayland
  bool uinput = false;   // /dev/uinput can be opened for writing
};
Session currentSession();

// Auto: uinput on a Wayland session (XTest would move only XWayland's own pointer), XTest on
// an X11 session, uinput on the console; none where uinput is wanted but not writable.
PointerKind choosePointer(PointerChoice choice, const Session& session);

// The desktop the uinput device spans: the one known, else storedRange from (0, 0).
Desktop uinputDesktop(const std::optional<Desktop>& known, QSize storedRange);

struct PointerSetup {
  // Null only when an explicit choice cannot be honoured; warning then says why, and the
  // program should stop with it.
  std::unique_ptr<output::PointerBackend> backend;
  // The X11 reader whenever a display opens, whatever the backend; null otherwise.
  std::unique_ptr<output::CursorReader> cursor;
  QString warning;
};

// The uinput device spans Qt's virtual desktop when the program has one, else the X display's
// root window, else storedRange (the far corner of the stored mouse range) from (0, 0). When
// auto ends on none, the backend says why, with the remedy, at the first event it is given.
PointerSetup makePointer(PointerChoice choice, QSize storedRange);

}  // namespace vornix::platform
