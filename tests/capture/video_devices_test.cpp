#include "capture/video_devices.h"

#include <gtest/gtest.h>

namespace vornix::capture {
namespace {

constexpr std::uint32_t code(const char (&text)[5]) {
  return std::uint32_t(text[0]) | std::uint32_t(text[1]) << 8 | std::uint32_t(text[2]) << 16 |
         std::uint32_t(text[3]) << 24;
}

class FakeDevices final : public VideoDeviceEnumerator {
public:
  std::vector<VideoDevice> devices;
  std::vector<VideoDevice> captureDevices() const override { return devices; }
};

TEST(SourceListing, OneLinePerDeviceWithFormatsSizesAndStablePaths) {
  FakeDevices fake;
  VideoDevice webcam;
  webcam.path = "/dev/video0";
  webcam.card = "HD Pro Webcam C920";
  webcam.bus = "usb-0000:00:14.0-1";
  webcam.formats = {{code("MJPG"), {QSize(1920, 1080), QSize(640, 480)}, false},
                    {code("YUYV"), {QSize(320, 240)}, false}};
  webcam.modes = {{code("MJPG"), QSize(640, 480), 30}, {code("YUYV"), QSize(320, 240), 29.97}};
  webcam.stablePaths = {"/dev/v4l/by-id/usb-046d_C920-video-index0",
                        "/dev/v4l/by-path/pci-0000:00:14.0-usb-0:1:1.0-video-index0"};
  VideoDevice card;
  card.path = "/dev/video2";
  card.card = "Capture card";
  card.bus = "PCI:0000:03:00.0";
  card.formats = {{code("Y16 ") | (1u << 31), {QSize(48, 32), QSize(1920, 1080)}, true},
                  {code("GREY"), {}, false}};
  card.modes = {{code("Y16 ") | (1u << 31), QSize(320, 240), 60}};
  VideoDevice locked;
  locked.path = "/dev/video4";
  locked.openError = "Permission denied";
  fake.devices = {webcam, card, locked};

  EXPECT_EQ(sourceListing(fake),
            QStringList({"/dev/video0  card \"HD Pro Webcam C920\"  bus usb-0000:00:14.0-1  formats MJPG "
                         "1920x1080 640x480@30, YUYV 320x240@29.97  stable /dev/v4l/by-id/usb-046d_C920-video-index0 "
                         "/dev/v4l/by-path/pci-0000:00:14.0-usb-0:1:1.0-video-index0",
                         "/dev/video2  card \"Capture card\"  bus PCI:0000:03:00.0  formats Y16-BE "
                         "48x32-1920x1080 (320x240@60), GREY",
                         "/dev/video4  cannot be opened: Permission denied"}));
}

TEST(SourceListing, SaysSoWhenThereIsNoDevice) {
  EXPECT_EQ(sourceListing(FakeDevices()), QStringList("no video device was found"));
}

}  // namespace
}  // namespace vornix::capture
