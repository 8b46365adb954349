#pragma once
// Chooses the pointer backend for --pointer auto|x11|uinput|none.

#include "output/pointer.h"

#include <QSize>
#include <QStringView>

#include <memory>
#include <optional>

namespace vornix::platform {

enum class PointerChoice { Auto, X11, Uinput, None };

// "auto", "x11", "uinput" or "none"; nothing for any other text.
std::optional<PointerChoice> parsePointerChoice(QStringView text);

struct PointerSetup {
  // Null only when an explicit choice cannot be honoured; warning then says why, and the
  // program should stop with it.
  std::unique_ptr<output::PointerBackend> backend;
  // The X11 reader whenever a display opens, whatever the backend; null otherwise.
  std::unique_ptr<output::CursorReader> cursor;
  // Auto: set when nothing could inject and the pointer only records.
  QString warning;
};

// screen sizes the uinput device; when it is empty the X display's size is used, if any.
// Auto takes XTest when a display opens, else uinput when /dev/uinput is usable, else none.
PointerSetup makePointer(PointerChoice choice, QSize screen);

}  // namespace vornix::platform
