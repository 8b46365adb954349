#include "platform/uinput_pointer.h"

#include "base/ini_file.h"
#include "panel/configuration.h"
#include "platform/pointer_factory.h"
#include "pointer_env.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <libevdev/libevdev.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <tuple>
#include <vector>

namespace vornix::platform {
namespace {

using testing::uinputWritable;

// (type, code, value) of the events between two SYN_REPORTs.
using Report = std::vector<std::tuple<int, int, int>>;
using Reports = std::vector<Report>;

Report absolute(int x, int y) { return {{EV_ABS, ABS_X, x}, {EV_ABS, ABS_Y, y}}; }
Report absoluteX(int x) { return {{EV_ABS, ABS_X, x}}; }
Report button(int down) { return {{EV_KEY, BTN_LEFT, down}}; }

// Notes what the pointer sends to the kernel.
struct DeviceLog {
  std::vector<QSize> created;
  Reports reports;
  Report pending;
};

class FakeDevice : public UinputDevice {
public:
  explicit FakeDevice(DeviceLog& log) : log_(log) {}
  bool create(QSize axes, QString*) override {
    log_.created.push_back(axes);
    return true;
  }
  void write(unsigned int type, unsigned int code, int value) override {
    if (type != EV_SYN) {
      log_.pending.emplace_back(type, code, value);
      return;
    }
    log_.reports.push_back(log_.pending);
    log_.pending.clear();
  }

private:
  DeviceLog& log_;
};

std::unique_ptr<UinputPointer> fakePointer(DeviceLog& log, const Desktop& desktop) {
  QString error;
  std::unique_ptr<UinputPointer> pointer =
      UinputPointer::create(std::make_unique<FakeDevice>(log), desktop, &error);
  EXPECT_NE(pointer, nullptr) << error.toStdString();
  return pointer;
}

// A 1280 x 1024 monitor on the left of the primary 1920 x 1080 one.
const Desktop kTwoMonitors{QRect(0, 0, 3200, 1080), QPoint(1280, 0)};

TEST(UinputPointer, AxesSpanTheWholeDesktopAndPointsCountFromThePrimaryMonitor) {
  DeviceLog log;
  auto pointer = fakePointer(log, uinputDesktop(kTwoMonitors, QSize(900, 650)));
  EXPECT_EQ(log.created, std::vector<QSize>{QSize(3200, 1080)});
  pointer->moveTo(0, 0);
  pointer->moveTo(1919, 1079);
  pointer->moveTo(-1280, 500);
  pointer->moveTo(40000, -3);
  EXPECT_EQ(log.reports, (Reports{absolute(1280, 0), absolute(3199, 1079), absolute(0, 500),
                                  absolute(3199, 0)}));
}

TEST(UinputPointer, WithoutADesktopTheAxesSpanTheStoredMouseRange) {
  QTemporaryDir dir;
  const QString config = dir.filePath("vornix.ini");
  const QString section = QString::fromUtf8("鼠标活动范围");
  const char* keys[] = {"左坐标", "顶坐标", "宽度", "高度"};
  const char* values[] = {"100", "50", "800", "600"};
  for (int i = 0; i < 4; ++i)
    ASSERT_TRUE(WriteIniValue(config, section, QString::fromUtf8(keys[i]), values[i]));
  DeviceLog log;
  auto pointer = fakePointer(log, uinputDesktop(std::nullopt, panel::storedScreenSize(config)));
  EXPECT_EQ(log.created, std::vector<QSize>{QSize(900, 650)});
  pointer->moveTo(899, 649);
  EXPECT_EQ(log.reports, Reports{absolute(899, 649)});
}

TEST(UinputPointer, ANewDesktopSizeBringsADeviceOfThatSize) {
  DeviceLog log;
  auto pointer = fakePointer(log, Desktop{QRect(0, 0, 1920, 1080), QPoint(0, 0)});
  pointer->setDesktop(Desktop{QRect(0, 0, 1920, 1080), QPoint(0, 0)});
  pointer->setDesktop(Desktop{QRect(-1280, 0, 1920, 1080), QPoint(0, 0)});  // moved, same size
  pointer->moveTo(0, 0);
  pointer->setDesktop(kTwoMonitors);  // a monitor plugged in
  pointer->moveTo(0, 0);
  EXPECT_EQ(log.created, (std::vector<QSize>{QSize(1920, 1080), QSize(3200, 1080)}));
  EXPECT_EQ(log.reports, (Reports{absolute(1280, 0), absolute(1280, 0)}));
}

// A page-turn click after the operator's own mouse moved the pointer goes back to the button.
TEST(UinputPointer, AMoveToTheLastPointStepsAsideAndBack) {
  DeviceLog log;
  auto pointer = fakePointer(log, Desktop{QRect(0, 0, 1024, 768), QPoint(0, 0)});
  pointer->moveTo(0, 0);  // a new device holds (0, 0)
  pointer->moveTo(100, 200);
  pointer->moveTo(100, 200);
  pointer->press();
  pointer->release();
  pointer->moveTo(100, 201);
  EXPECT_EQ(log.reports, (Reports{absoluteX(1), absolute(0, 0), absolute(100, 200), absoluteX(99),
                                  absolute(100, 200), button(1), button(0), absolute(100, 201)}));
}

TEST(UinputPointer, NeedsADesktopSize) {
  DeviceLog log;
  QString error;
  EXPECT_EQ(UinputPointer::create(std::make_unique<FakeDevice>(log), Desktop{}, &error), nullptr);
  EXPECT_TRUE(error.contains("desktop's size")) << error.toStdString();
  EXPECT_TRUE(log.created.empty());
}

TEST(UinputPointer, TheRemedyInstallsTheShippedUdevRule) {
  QFile rules(QStringLiteral(VORNIX_SOURCE_DIR "/share/udev/60-vornix-uinput.rules"));
  ASSERT_TRUE(rules.open(QIODevice::ReadOnly)) << rules.fileName().toStdString();
  const QString rule = QString::fromUtf8(rules.readAll()).split('\n').at(1);
  ASSERT_TRUE(rule.startsWith("KERNEL==\"uinput\"")) << rule.toStdString();
  const QString remedy = uinputRemedy();
  EXPECT_TRUE(remedy.contains("sudo modprobe uinput\n")) << remedy.toStdString();
  EXPECT_TRUE(remedy.contains("'" + rule + "' | sudo tee /etc/udev/rules.d/60-vornix-uinput.rules"))
      << remedy.toStdString();
  EXPECT_TRUE(rule.contains("TAG+=\"uaccess\"") && !rule.contains("GROUP")) << rule.toStdString();

  // Where the package put its rule, the remedy names it and only applies it.
  const QString installed = uinputRemedy(rules.fileName());
  EXPECT_TRUE(installed.contains(rules.fileName() + " gives /dev/uinput")) << installed.toStdString();
  EXPECT_TRUE(installed.contains("udevadm trigger") && !installed.contains("tee")) << installed.toStdString();
}

TEST(UinputDevice, SaysWhyWhenTheDeviceCannotBeOpened) {
  if (uinputWritable()) GTEST_SKIP() << "/dev/uinput is writable here";
  QString error;
  EXPECT_FALSE(makeUinputDevice()->create(QSize(1024, 768), &error));
  EXPECT_TRUE(error.startsWith("cannot open /dev/uinput (")) << error.toStdString();
}

// Reads the device back through its event node with libevdev (needs read access to
// /dev/input/event*).
class EventNode {
public:
  explicit EventNode(const QString& path) {
    for (int i = 0; i < 50 && fd_ < 0; ++i) {
      fd_ = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (fd_ >= 0 && libevdev_new_from_fd(fd_, &device_) < 0) device_ = nullptr;
  }
  ~EventNode() {
    libevdev_free(device_);
    if (fd_ >= 0) ::close(fd_);
  }
  bool isOpen() const { return device_ != nullptr; }
  int maximum(unsigned int axis) const { return libevdev_get_abs_maximum(device_, axis); }

  Report nextReport() {
    Report events;
    pollfd p{fd_, POLLIN, 0};
    input_event e{};
    while (::poll(&p, 1, 1000) > 0 &&
           libevdev_next_event(device_, LIBEVDEV_READ_FLAG_NORMAL, &e) == LIBEVDEV_READ_STATUS_SUCCESS) {
      if (e.type == EV_SYN) break;
      events.emplace_back(e.type, e.code, e.value);
    }
    return events;
  }

private:
  int fd_ = -1;
  libevdev* device_ = nullptr;
};

TEST(UinputDevice, TheKernelDeliversTheExactAxisValues) {
  if (!uinputWritable()) GTEST_SKIP() << "/dev/uinput is absent or not writable by this user";
  QString error;
  std::unique_ptr<UinputPointer> pointer =
      UinputPointer::create(makeUinputDevice(), kTwoMonitors, &error);
  ASSERT_NE(pointer, nullptr) << error.toStdString();
  EventNode node(pointer->devicePath());
  if (!node.isOpen()) GTEST_SKIP() << "cannot read " << pointer->devicePath().toStdString();
  EXPECT_EQ(node.maximum(ABS_X), 3199);
  EXPECT_EQ(node.maximum(ABS_Y), 1079);

  pointer->moveTo(100, 200);
  EXPECT_EQ(node.nextReport(), absolute(1380, 200));
  pointer->moveTo(100, 200);
  EXPECT_EQ(node.nextReport(), absoluteX(1379));
  EXPECT_EQ(node.nextReport(), absoluteX(1380));  // the kernel drops the unchanged Y
  pointer->press();
  EXPECT_EQ(node.nextReport(), button(1));
  pointer->release();
  EXPECT_EQ(node.nextReport(), button(0));
}

}  // namespace
}  // namespace vornix::platform
