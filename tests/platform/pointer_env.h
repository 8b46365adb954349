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

// Sets (or, given nullptr, unsets) one environment variable for one test and puts it back after.
class ScopedEnv {
public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = std::string(old);
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (saved_) ::setenv(name_, saved_->c_str(), 1);
    else ::unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
  const char* name_;
  std::optional<std::string> saved_;
};

// Unsets DISPLAY for one test and puts it back after.
class WithoutDisplay : public ScopedEnv {
public:
  WithoutDisplay() : ScopedEnv("DISPLAY", nullptr) {}
};

}  // namespace vornix::platform::testing
