#include "platform/uinput_pointer.h"

#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vornix::platform {
namespace {

constexpr const char* kDevice = "/dev/uinput";

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

}  // namespace

std::unique_ptr<UinputPointer> UinputPointer::create(QSize screen, QString* error) {
  auto fail = [error](const QString& reason) {
    if (error) *error = reason;
    return nullptr;
  };
  if (screen.width() < 1 || screen.height() < 1)
    return fail(QStringLiteral("uinput pointer needs the screen size (got %1x%2)")
                    .arg(screen.width())
                    .arg(screen.height()));

  const int fd = ::open(kDevice, O_RDWR | O_CLOEXEC);
  if (fd < 0)
    return fail(QStringLiteral("cannot open %1 (%2): load the uinput module (modprobe uinput) and "
                               "give this user write access, e.g. a udev rule KERNEL==\"uinput\", "
                               "GROUP=\"input\", MODE=\"0660\" with the user in group input")
                    .arg(QLatin1String(kDevice), errnoText(errno)));

  // Absolute axes with a left button and no touch button: udev and libinput take it for an
  // absolute mouse, as they do a virtual machine's tablet, and place the pointer directly.
  libevdev* device = libevdev_new();
  libevdev_set_name(device, "Vornix pointer");
  libevdev_set_id_bustype(device, BUS_VIRTUAL);
  libevdev_set_id_vendor(device, 0x1d6b);
  libevdev_set_id_product(device, 0x7a01);
  input_absinfo x{};
  x.maximum = screen.width() - 1;
  input_absinfo y{};
  y.maximum = screen.height() - 1;
  libevdev_enable_event_type(device, EV_ABS);
  libevdev_enable_event_code(device, EV_ABS, ABS_X, &x);
  libevdev_enable_event_code(device, EV_ABS, ABS_Y, &y);
  libevdev_enable_event_type(device, EV_KEY);
  libevdev_enable_event_code(device, EV_KEY, BTN_LEFT, nullptr);
  libevdev_enable_event_type(device, EV_SYN);

  libevdev_uinput* uinput = nullptr;
  const int rc = libevdev_uinput_create_from_device(device, fd, &uinput);
  if (rc < 0) {
    libevdev_free(device);
    ::close(fd);
    return fail(QStringLiteral("cannot create the uinput pointer device (%1)").arg(errnoText(-rc)));
  }
  return std::unique_ptr<UinputPointer>(new UinputPointer(fd, device, uinput, screen));
}

UinputPointer::~UinputPointer() {
  libevdev_uinput_destroy(uinput_);
  libevdev_free(device_);
  ::close(fd_);
}

QString UinputPointer::devicePath() const {
  const char* node = libevdev_uinput_get_devnode(uinput_);
  return node ? QString::fromLocal8Bit(node) : QString();
}

// The kernel passes values outside the axis range on unchanged; keep them on the screen.
void UinputPointer::moveTo(int x, int y) {
  write(EV_ABS, ABS_X, std::clamp(x, 0, screen_.width() - 1));
  write(EV_ABS, ABS_Y, std::clamp(y, 0, screen_.height() - 1));
  write(EV_SYN, SYN_REPORT, 0);
}

void UinputPointer::press() {
  write(EV_KEY, BTN_LEFT, 1);
  write(EV_SYN, SYN_REPORT, 0);
}

void UinputPointer::release() {
  write(EV_KEY, BTN_LEFT, 0);
  write(EV_SYN, SYN_REPORT, 0);
}

void UinputPointer::write(unsigned int type, unsigned int code, int value) {
  libevdev_uinput_write_event(uinput_, type, code, value);
}

}  // namespace vornix::platform
