#pragma once
// What the pointer tests need from the machine, and the reason to skip when it is missing.

#include <QByteArray>
#include <QString>

#include <unistd.h>

#include <cstdlib>
#include <optional>

namespace vornix::platform::testing {

inline bool hasDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

inline bool uinputWritable() { return ::access("/dev/uinput", W_OK) == 0; }

// Unsets DISPLAY for one test and puts it back after.
class WithoutDisplay {
public:
  WithoutDisplay() {
    if (const char* display = std::getenv("DISPLAY")) saved_ = QByteArray(display);
    ::unsetenv("DISPLAY");
  }
  ~WithoutDisplay() {
    if (saved_) ::setenv("DISPLAY", saved_->constData(), 1);
  }

private:
  std::optional<QByteArray> saved_;
};

}  // namespace vornix::platform::testing
