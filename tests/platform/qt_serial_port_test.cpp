#include "platform/qt_serial_port.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vornix::platform {
namespace {

// Only devices that cannot exist: a test never opens a real serial port.
TEST(QtSerialPort, FailedOpenNamesTheMappedDeviceAndLeavesThePortClosed) {
  QTemporaryDir dir;
  const QString missing = dir.filePath("ttyUSB9");
  QtSerialPort port({{5, missing}});
  port.setCommPort(5);
  try {
    port.setPortOpen(true);
    FAIL() << "opened a device that does not exist";
  } catch (const output::SerialError& error) {
    EXPECT_EQ(error.number(), QSerialPort::DeviceNotFoundError);
    EXPECT_EQ(error.description(), missing + ": No such file or directory");
  }
  EXPECT_FALSE(port.portOpen());
  EXPECT_THROW(port.input(), output::SerialError);
  EXPECT_THROW(port.setCommPort(0), output::SerialError);
  EXPECT_EQ(port.commPort(), 5);
  EXPECT_EQ(port.deviceOf(6), "/dev/ttyS5");
}

}  // namespace
}  // namespace vornix::platform
