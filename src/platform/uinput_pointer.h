#pragma once
// Pointer input through a virtual absolute pointer device made with uinput: works under any
// desktop (X11, Wayland) and on the console, given write access to /dev/uinput.

#include "output/pointer.h"

#include <QSize>

#include <memory>

struct libevdev;
struct libevdev_uinput;

namespace vornix::platform {

class UinputPointer : public output::PointerBackend {
public:
  // Creates the device with axes 0..width-1 and 0..height-1, which the desktop stretches over
  // the whole screen; nullptr with a one-line reason (and the remedy) in *error on failure.
  static std::unique_ptr<UinputPointer> create(QSize screen, QString* error);
  ~UinputPointer() override;
  UinputPointer(const UinputPointer&) = delete;
  UinputPointer& operator=(const UinputPointer&) = delete;

  void moveTo(int x, int y) override;
  void press() override;
  void release() override;
  QString name() const override { return QStringLiteral("uinput"); }

  // The /dev/input/event* node of the device.
  QString devicePath() const;

private:
  UinputPointer(int fd, libevdev* device, libevdev_uinput* uinput, QSize screen)
      : fd_(fd), device_(device), uinput_(uinput), screen_(screen) {}
  void write(unsigned int type, unsigned int code, int value);

  int fd_;
  libevdev* device_;
  libevdev_uinput* uinput_;
  QSize screen_;
};

}  // namespace vornix::platform
