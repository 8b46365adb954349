#pragma once
// What the pointer tests need from the machine, and the reason to skip when it is missing.

#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

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
    if (const char* display = std::getenv("DISPLAY")) saved_ = std::string(display);
    ::unsetenv("DISPLAY");
  }
  ~WithoutDisplay() {
    if (saved_) ::setenv("DISPLAY", saved_->c_str(), 1);
  }

private:
  std::optional<std::string> saved_;
};

}  // namespace vornix::platform::testing
