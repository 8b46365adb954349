#pragma once
// Pointer input through a virtual absolute pointer device made with uinput: works under any
// desktop (X11, Wayland) and on the console, given write access to /dev/uinput. The axes span
// the whole desktop in pixels, so the desktop, which stretches them over itself, places each
// point on its pixel.

#include "output/pointer.h"
#include "platform/desktop.h"

#include <QSize>

#include <functional>
#include <memory>
#include <optional>

class QTimer;

namespace vornix::platform {

// The kernel end: a device with absolute axes 0..width-1 and 0..height-1 and a left button.
class UinputDevice {
public:
  virtual ~UinputDevice() = default;
  // Creates the device, replacing the one made before; false with a one-line reason.
  virtual bool create(QSize axes, QString* error) = 0;
  virtual void write(unsigned int type, unsigned int code, int value) = 0;
  // The /dev/input/event* node of the device, when known.
  virtual QString devicePath() const { return {}; }
};

// The device on /dev/uinput, made through libevdev.
std::unique_ptr<UinputDevice> makeUinputDevice();

// The kernel key code of an X keysym name, or -1 when it has none.
int uinputKeyCode(const QString& keysym);

// The udev rule the package installs.
inline constexpr const char* kInstalledUdevRule = "/usr/lib/udev/rules.d/60-vornix-uinput.rules";

// The lines an installer runs once to let the seat's user create the device: the installed rule
// when installedRule exists, else the shipped rule written out.
QString uinputRemedy(const QString& installedRule = QString::fromUtf8(kInstalledUdevRule));

class UinputPointer : public output::PointerBackend {
public:
  // nullptr with a one-line reason in *error when the device cannot be created.
  static std::unique_ptr<UinputPointer> create(std::unique_ptr<UinputDevice> device,
                                               const Desktop& desktop, QString* error);
  ~UinputPointer() override;

  // Points outside the desktop go to its nearest edge.
  void moveTo(int x, int y) override;
  void press() override;
  void release() override;
  // The key of an X keysym name on the kernel's key codes (letters, digits, F1-F24, Return,
  // space, Escape, Tab, BackSpace, the arrows, Prior/Next and the like).
  bool tapKey(const QString& keysym) override;
  QString name() const override { return QStringLiteral("uinput"); }

  // A desktop of another size brings a new device with axes of that size.
  void setDesktop(const Desktop& desktop);
  // Asks source once a second and follows the desktop it reports.
  void followDesktop(std::function<std::optional<Desktop>()> source);
  const Desktop& desktop() const { return desktop_; }
  QString devicePath() const { return device_->devicePath(); }

private:
  UinputPointer(std::unique_ptr<UinputDevice> device, const Desktop& desktop);

  std::unique_ptr<UinputDevice> device_;
  Desktop desktop_;
  QPoint last_;  // the axis values the kernel holds: (0, 0) on a new device
  std::unique_ptr<QTimer> follow_;
};

}  // namespace vornix::platform
