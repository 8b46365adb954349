#include "platform/uinput_pointer.h"

#include "pointer_env.h"

#include <gtest/gtest.h>

#include <linux/input.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

namespace vornix::platform {
namespace {

using testing::uinputWritable;

TEST(UinputPointer, NamesTheRemedyWhenTheDeviceCannotBeOpened) {
  if (uinputWritable()) GTEST_SKIP() << "/dev/uinput is writable here";
  QString error;
  EXPECT_EQ(UinputPointer::create(QSize(1024, 768), &error), nullptr);
  EXPECT_TRUE(error.startsWith("cannot open /dev/uinput (")) << error.toStdString();
  EXPECT_TRUE(error.contains("modprobe uinput")) << error.toStdString();
  EXPECT_TRUE(error.contains("KERNEL==\"uinput\"")) << error.toStdString();
  EXPECT_FALSE(error.contains('\n'));
}

TEST(UinputPointer, NeedsAScreenSize) {
  QString error;
  EXPECT_EQ(UinputPointer::create(QSize(), &error), nullptr);
  EXPECT_TRUE(error.contains("screen size")) << error.toStdString();
}

// Reads the device back through its event node (needs read access to /dev/input/event*).
class EventNode {
public:
  explicit EventNode(const QString& path) {
    for (int i = 0; i < 50 && fd_ < 0; ++i) {
      fd_ = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ~EventNode() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool isOpen() const { return fd_ >= 0; }

  input_absinfo abs(int axis) const {
    input_absinfo info{};
    ::ioctl(fd_, EVIOCGABS(axis), &info);
    return info;
  }

  // The (type, code, value) triples up to the next SYN_REPORT.
  std::vector<std::tuple<int, int, int>> nextReport() {
    std::vector<std::tuple<int, int, int>> events;
    pollfd p{fd_, POLLIN, 0};
    input_event e{};
    while (::poll(&p, 1, 1000) > 0 && ::read(fd_, &e, sizeof e) == sizeof e) {
      if (e.type == EV_SYN) break;
      events.emplace_back(e.type, e.code, e.value);
    }
    return events;
  }

private:
  int fd_ = -1;
};

TEST(UinputPointer, DeliversAbsoluteMovesKeptOnTheScreenAndTheLeftButton) {
  if (!uinputWritable()) GTEST_SKIP() << "/dev/uinput is absent or not writable by this user";
  QString error;
  std::unique_ptr<UinputPointer> pointer = UinputPointer::create(QSize(1024, 768), &error);
  ASSERT_NE(pointer, nullptr) << error.toStdString();
  EventNode node(pointer->devicePath());
  if (!node.isOpen()) GTEST_SKIP() << "cannot read " << pointer->devicePath().toStdString();
  EXPECT_EQ(node.abs(ABS_X).minimum, 0);
  EXPECT_EQ(node.abs(ABS_X).maximum, 1023);
  EXPECT_EQ(node.abs(ABS_Y).maximum, 767);

  using E = std::tuple<int, int, int>;
  pointer->moveTo(100, 200);
  EXPECT_EQ(node.nextReport(), (std::vector<E>{{EV_ABS, ABS_X, 100}, {EV_ABS, ABS_Y, 200}}));
  pointer->moveTo(5000, -3);
  EXPECT_EQ(node.nextReport(), (std::vector<E>{{EV_ABS, ABS_X, 1023}, {EV_ABS, ABS_Y, 0}}));
  pointer->press();
  EXPECT_EQ(node.nextReport(), (std::vector<E>{{EV_KEY, BTN_LEFT, 1}}));
  pointer->release();
  EXPECT_EQ(node.nextReport(), (std::vector<E>{{EV_KEY, BTN_LEFT, 0}}));
}

}  // namespace
}  // namespace vornix::platform
