#include "platform/uinput_pointer.h"

#include "base/trace.h"

#include <QFileInfo>
#include <QHash>
#include <QTimer>

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

class LibevdevUinput : public UinputDevice {
public:
  ~LibevdevUinput() override { destroy(); }

  bool create(QSize axes, QString* error) override {
    destroy();
    fd_ = ::open(kDevice, O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
      if (error) *error = QStringLiteral("cannot open %1 (%2)").arg(QLatin1String(kDevice), errnoText(errno));
      return false;
    }
    // Absolute axes with a left button and no touch button: udev and libinput take it for an
    // absolute mouse, as they do a virtual machine's tablet, and place the pointer directly.
    libevdev* device = libevdev_new();
    libevdev_set_name(device, "Vornix pointer");
    libevdev_set_id_bustype(device, BUS_VIRTUAL);
    libevdev_set_id_vendor(device, 0x1d6b);
    libevdev_set_id_product(device, 0x7a01);
    input_absinfo x{};
    x.maximum = axes.width() - 1;
    input_absinfo y{};
    y.maximum = axes.height() - 1;
    libevdev_enable_event_type(device, EV_ABS);
    libevdev_enable_event_code(device, EV_ABS, ABS_X, &x);
    libevdev_enable_event_code(device, EV_ABS, ABS_Y, &y);
    libevdev_enable_event_type(device, EV_KEY);
    libevdev_enable_event_code(device, EV_KEY, BTN_LEFT, nullptr);
    // The keys of the zones' key actions.
    for (unsigned int key = KEY_ESC; key <= KEY_MICMUTE; ++key) libevdev_enable_event_code(device, EV_KEY, key, nullptr);
    libevdev_enable_event_type(device, EV_SYN);
    const int rc = libevdev_uinput_create_from_device(device, fd_, &uinput_);
    libevdev_free(device);
    if (rc < 0) {
      uinput_ = nullptr;
      destroy();
      if (error) *error = QStringLiteral("cannot create the uinput pointer device (%1)").arg(errnoText(-rc));
      return false;
    }
    return true;
  }

  void write(unsigned int type, unsigned int code, int value) override {
    if (uinput_) libevdev_uinput_write_event(uinput_, type, code, value);
  }

  QString devicePath() const override {
    const char* node = uinput_ ? libevdev_uinput_get_devnode(uinput_) : nullptr;
    return node ? QString::fromLocal8Bit(node) : QString();
  }

private:
  void destroy() {
    if (uinput_) libevdev_uinput_destroy(uinput_);
    uinput_ = nullptr;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  int fd_ = -1;
  libevdev_uinput* uinput_ = nullptr;
};

}  // namespace

int uinputKeyCode(const QString& keysym) {
  // The X names whose kernel name differs; the others are the kernel's without "KEY_".
  static const QHash<QString, QString> renamed{
      {QStringLiteral("Return"), QStringLiteral("ENTER")},      {QStringLiteral("Escape"), QStringLiteral("ESC")},
      {QStringLiteral("Prior"), QStringLiteral("PAGEUP")},      {QStringLiteral("Page_Up"), QStringLiteral("PAGEUP")},
      {QStringLiteral("Next"), QStringLiteral("PAGEDOWN")},     {QStringLiteral("Page_Down"), QStringLiteral("PAGEDOWN")},
      {QStringLiteral("Control_L"), QStringLiteral("LEFTCTRL")}, {QStringLiteral("Control_R"), QStringLiteral("RIGHTCTRL")},
      {QStringLiteral("Shift_L"), QStringLiteral("LEFTSHIFT")}, {QStringLiteral("Shift_R"), QStringLiteral("RIGHTSHIFT")},
      {QStringLiteral("Alt_L"), QStringLiteral("LEFTALT")},     {QStringLiteral("Alt_R"), QStringLiteral("RIGHTALT")},
      {QStringLiteral("Super_L"), QStringLiteral("LEFTMETA")},  {QStringLiteral("KP_Enter"), QStringLiteral("KPENTER")},
      {QStringLiteral("minus"), QStringLiteral("MINUS")},       {QStringLiteral("equal"), QStringLiteral("EQUAL")},
      {QStringLiteral("period"), QStringLiteral("DOT")},        {QStringLiteral("comma"), QStringLiteral("COMMA")},
      {QStringLiteral("slash"), QStringLiteral("SLASH")},       {QStringLiteral("Print"), QStringLiteral("SYSRQ")}};
  const QString kernel = renamed.value(keysym, keysym.toUpper());
  if (kernel.isEmpty()) return -1;
  const int code = libevdev_event_code_from_name(EV_KEY, ("KEY_" + kernel).toLatin1().constData());
  return code >= 0 && code <= KEY_MICMUTE ? code : -1;
}

std::unique_ptr<UinputDevice> makeUinputDevice() { return std::make_unique<LibevdevUinput>(); }

// Access goes to the user at the seat (uaccess), not to a group: members of `input` could read
// every keyboard of the machine.
QString uinputRemedy(const QString& installedRule) {
  if (QFileInfo::exists(installedRule))
    return QStringLiteral(
               "The installed rule %1 gives /dev/uinput to the user at the seat; to apply it now, run once:\n"
               "  sudo modprobe uinput\n"
               "  sudo udevadm control --reload && sudo udevadm trigger\n"
               "then start the program again from the desktop session.")
        .arg(installedRule);
  return QStringLiteral(
      "To give /dev/uinput to the user at the seat, install the shipped rule "
      "(share/udev/60-vornix-uinput.rules) and apply it, once:\n"
      "  sudo modprobe uinput\n"
      "  echo 'KERNEL==\"uinput\", SUBSYSTEM==\"misc\", TAG+=\"uaccess\", "
      "OPTIONS+=\"static_node=uinput\"' | sudo tee /etc/udev/rules.d/60-vornix-uinput.rules\n"
      "  sudo udevadm control --reload && sudo udevadm trigger\n"
      "then start the program again from the desktop session.");
}

std::unique_ptr<UinputPointer> UinputPointer::create(std::unique_ptr<UinputDevice> device,
                                                     const Desktop& desktop, QString* error) {
  const QSize size = desktop.area.size();
  if (size.width() < 1 || size.height() < 1) {
    if (error)
      *error = QStringLiteral("the uinput pointer needs the desktop's size (got %1x%2)")
                   .arg(size.width())
                   .arg(size.height());
    return nullptr;
  }
  if (!device->create(size, error)) return nullptr;
  return std::unique_ptr<UinputPointer>(new UinputPointer(std::move(device), desktop));
}

UinputPointer::UinputPointer(std::unique_ptr<UinputDevice> device, const Desktop& desktop)
    : device_(std::move(device)), desktop_(desktop) {}

UinputPointer::~UinputPointer() = default;

void UinputPointer::moveTo(int x, int y) {
  const QRect& area = desktop_.area;
  const qint64 ax = qint64(x) + desktop_.primaryOrigin.x() - area.left();
  const qint64 ay = qint64(y) + desktop_.primaryOrigin.y() - area.top();
  const QPoint axis(int(std::clamp<qint64>(ax, 0, area.width() - 1)),
                    int(std::clamp<qint64>(ay, 0, area.height() - 1)));
  // The kernel drops an axis value equal to the one it holds, so a move back to the same point,
  // after another mouse has moved the pointer away, would not arrive: step aside and back.
  if (axis == last_) {
    device_->write(EV_ABS, ABS_X, axis.x() > 0 ? axis.x() - 1 : axis.x() + 1);
    device_->write(EV_SYN, SYN_REPORT, 0);
  }
  device_->write(EV_ABS, ABS_X, axis.x());
  device_->write(EV_ABS, ABS_Y, axis.y());
  device_->write(EV_SYN, SYN_REPORT, 0);
  last_ = axis;
}

void UinputPointer::press() {
  device_->write(EV_KEY, BTN_LEFT, 1);
  device_->write(EV_SYN, SYN_REPORT, 0);
}

void UinputPointer::release() {
  device_->write(EV_KEY, BTN_LEFT, 0);
  device_->write(EV_SYN, SYN_REPORT, 0);
}

bool UinputPointer::tapKey(const QString& keysym) {
  const int code = uinputKeyCode(keysym);
  if (code < 0) return false;
  device_->write(EV_KEY, unsigned(code), 1);
  device_->write(EV_SYN, SYN_REPORT, 0);
  device_->write(EV_KEY, unsigned(code), 0);
  device_->write(EV_SYN, SYN_REPORT, 0);
  return true;
}

void UinputPointer::setDesktop(const Desktop& desktop) {
  if (desktop.area.isEmpty()) return;
  const bool resized = desktop.area.size() != desktop_.area.size();
  desktop_ = desktop;
  if (!resized) return;
  QString error;
  if (!device_->create(desktop.area.size(), &error)) trace("error", "uinput pointer: " + error);
  last_ = QPoint(0, 0);
}

void UinputPointer::followDesktop(std::function<std::optional<Desktop>()> source) {
  follow_ = std::make_unique<QTimer>();
  QObject::connect(follow_.get(), &QTimer::timeout, [this, source = std::move(source)] {
    if (const std::optional<Desktop> desktop = source()) setDesktop(*desktop);
  });
  follow_->start(1000);
}

}  // namespace vornix::platform
