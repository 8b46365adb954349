#include "capture/capture_component.h"
#include "capture/opencv_capture.h"

#include "base/frame.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

namespace vornix::capture {
namespace {

// A picture whose red value at the top-left corner tells the frame number.
QImage numberedPicture(int number, int width = kFrameWidth, int height = kFrameHeight) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(qRgb(10 * number + 5, 100, 200));
  return image;
}

class Sequence : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QString writeFrames(int count, int width = kFrameWidth, int height = kFrameHeight) {
    for (int i = 0; i < count; ++i) {
      const QString path = dir_.filePath(QStringLiteral("%1.png").arg(i, 4, 10, QLatin1Char('0')));
      EXPECT_TRUE(numberedPicture(i, width, height).save(path));
    }
    return dir_.filePath(QStringLiteral("%04d.png"));
  }
  QTemporaryDir dir_;
};

int redAtCorner(const FrameSlot& slot) { return qRed(slot.get()->pixel(0, 0)); }

TEST_F(Sequence, StepModeDeliversEveryFrameInOrderAtTheCaptureSize) {
  auto capture = makeCapture(writeFrames(3), true);
  EXPECT_FALSE(capture->openFailure());
  EXPECT_GE(capture->channelNumber(false), 0);
  FrameSlot slot;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(capture->grabToSlot(slot), Grab::New) << "frame " << i;
    const QImage frame = *slot.get();
    EXPECT_EQ(frame.size(), QSize(kFrameWidth, kFrameHeight));
    EXPECT_EQ(frame.format(), QImage::Format_RGB32);
    EXPECT_EQ(frame.pixel(0, 0), qRgb(10 * i + 5, 100, 200)) << "colours keep their channels";
  }
}

TEST_F(Sequence, FinishedOnceTheLastFrameIsHandedOut) {
  auto capture = makeCapture(writeFrames(2), true);
  FrameSlot slot;
  EXPECT_FALSE(capture->finished());
  ASSERT_EQ(capture->grabToSlot(slot), Grab::New);
  EXPECT_FALSE(capture->finished());
  ASSERT_EQ(capture->grabToSlot(slot), Grab::New);
  EXPECT_TRUE(capture->finished());
  EXPECT_EQ(redAtCorner(slot), 15);
}

TEST_F(Sequence, GrabsPastTheEndRepeatTheLastFrame) {
  auto capture = makeCapture(writeFrames(2), true);
  FrameSlot slot;
  for (int i = 0; i < 4; ++i) ASSERT_EQ(capture->grabToSlot(slot), i < 2 ? Grab::New : Grab::Repeated);
  EXPECT_EQ(redAtCorner(slot), 15);
  EXPECT_TRUE(capture->finished());
}

TEST_F(Sequence, LargerFramesAreScaledToTheCaptureSize) {
  auto capture = makeCapture(writeFrames(1, 640, 480), true);
  FrameSlot slot;
  ASSERT_EQ(capture->grabToSlot(slot), Grab::New);
  EXPECT_EQ(slot.get()->size(), QSize(kFrameWidth, kFrameHeight));
  EXPECT_EQ(slot.get()->pixel(319, 239), qRgb(5, 100, 200));
  EXPECT_EQ(capture->videoWidth(), kFrameWidth);
  EXPECT_EQ(capture->videoHeight(), kFrameHeight);
}

// The file's JPEG packets are decoded at a reduced size and scaled straight into the frame:
// the picture must keep its geometry and its colour channels.
TEST_F(Sequence, MotionJpegFilesKeepTheirPictureAtTheCaptureSize) {
  for (const cv::Size size : {cv::Size(1280, 720), cv::Size(640, 480), cv::Size(3000, 500)}) {
    const std::string path = dir_.filePath(QStringLiteral("clip.avi")).toStdString();
    cv::VideoWriter writer(path, cv::CAP_OPENCV_MJPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 30, size);
    ASSERT_TRUE(writer.isOpened());
    cv::Mat picture(size, CV_8UC3, cv::Scalar(30, 30, 30));
    // Red over the right half's lower half: frame samples 160..319 by 120..239.
    cv::rectangle(picture, cv::Rect(size.width / 2, size.height / 2, size.width / 2, size.height / 2),
                  cv::Scalar(0, 0, 255), cv::FILLED);
    writer.write(picture);
    writer.release();

    auto capture = makeCapture(QString::fromStdString(path), true);
    FrameSlot slot;
    ASSERT_EQ(capture->grabToSlot(slot), Grab::New) << size.width;
    const QImage frame = *slot.get();
    ASSERT_EQ(frame.size(), QSize(kFrameWidth, kFrameHeight));
    const QRgb red = frame.pixel(240, 180), dark = frame.pixel(80, 60), edge = frame.pixel(165, 125);
    EXPECT_GT(qRed(red), 220) << size.width;
    EXPECT_LT(qGreen(red), 40) << size.width;
    EXPECT_LT(qBlue(red), 40) << size.width;
    EXPECT_EQ(qAlpha(red), 255);
    EXPECT_NEAR(qRed(dark), 30, 8) << size.width;
    EXPECT_GT(qRed(edge), 200) << size.width;
  }
}

TEST_F(Sequence, RealTimePlaysToTheEndWithoutTheCallerWaiting) {
  auto capture = makeCapture(writeFrames(3), false);
  FrameSlot slot;
  std::vector<int> seen;
  int repeats = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!capture->finished() && std::chrono::steady_clock::now() < deadline) {
    const Grab grab = capture->grabToSlot(slot);
    if (grab == Grab::New) seen.push_back(redAtCorner(slot));
    if (grab == Grab::Repeated) {
      ++repeats;
      EXPECT_EQ(redAtCorner(slot), seen.back()) << "a repeat hands out the frame before it";
    }
    QThread::msleep(5);
  }
  ASSERT_TRUE(capture->finished());
  EXPECT_EQ(seen, (std::vector<int>{5, 15, 25})) << "every frame new exactly once, in order";
  EXPECT_GT(repeats, 0) << "grabs every 5 ms of a 30-frame-a-second clip see frames again";
}

// Grabs slower than the source: only the newest frame waits, the listener is told once per grab.
TEST_F(Sequence, GrabsSlowerThanTheSourceDropFramesInsteadOfQueueingThem) {
  constexpr int kFrames = 40;  // at 60 a second, each a shade of grey lighter than the one before
  QFile clip(dir_.filePath(QStringLiteral("clip.y4m")));
  ASSERT_TRUE(clip.open(QIODevice::WriteOnly));
  clip.write("YUV4MPEG2 W320 H240 F60:1 Ip A1:1 C420jpeg\n");
  for (int frame = 0; frame < kFrames; ++frame)
    clip.write("FRAME\n" + QByteArray(320 * 240, char(16 + 5 * frame)) + QByteArray(320 * 240 / 2, char(128)));
  clip.close();
  auto capture = makeCapture(clip.fileName(), false);
  std::atomic<int> told{0};
  capture->onNewFrame([&told] { ++told; });
  FrameSlot slot;
  std::vector<int> seen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!capture->finished() && std::chrono::steady_clock::now() < deadline) {
    QThread::msleep(100);
    if (capture->grabToSlot(slot) == Grab::New) seen.push_back(redAtCorner(slot));
  }
  ASSERT_TRUE(capture->finished());
  ASSERT_GE(seen.size(), 2u);
  EXPECT_GT(seen.front(), 10) << "the first grab takes the newest frame (red about 6 a frame), not the first";
  EXPECT_LT(seen.size(), std::size_t(kFrames) / 2) << "frames were dropped";
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_LE(told.load(), int(seen.size()) + 1) << "told once per grab, not once per frame";
}

TEST_F(Sequence, ReleaseStopsHandingOutFrames) {
  auto capture = makeCapture(writeFrames(2), true);
  capture->release();
  FrameSlot slot;
  EXPECT_EQ(capture->grabToSlot(slot), Grab::Nothing);
  EXPECT_TRUE(slot.empty());
}

TEST(OpenCvSource, MissingDeviceHasNegativeChannelAndPutsNothing) {
  auto capture = makeCapture(QStringLiteral("/dev/video77"), false);
  EXPECT_LT(capture->channelNumber(false), 0);
  ASSERT_TRUE(capture->openFailure());
  EXPECT_EQ(capture->openFailure()->kind, SourceError::NoDevice);
  FrameSlot slot;
  slot.put(blankFrame());
  EXPECT_EQ(capture->grabToSlot(slot), Grab::Nothing);
  EXPECT_TRUE(slot.get().has_value()) << "a failed grab leaves the slot as it was";
  EXPECT_FALSE(capture->finished()) << "a camera may still come";
}

TEST(OpenCvSource, StableLinkOfAnUnpluggedCameraIsAMissingDevice) {
  const QString link = QStringLiteral("/dev/v4l/by-id/usb-Vornix_Test_Camera-video-index0");
  EXPECT_EQ(parseVideoSource(link).kind, SourceKind::Device);
  auto capture = makeCapture(link, false);
  EXPECT_LT(capture->channelNumber(false), 0);
  ASSERT_TRUE(capture->openFailure());
  EXPECT_EQ(capture->openFailure()->kind, SourceError::NoDevice);
  EXPECT_EQ(capture->openFailure()->text, QStringLiteral("camera ") + link + QStringLiteral(": no such device"));
  EXPECT_FALSE(capture->finished()) << "the camera may be plugged in again";
}

TEST(OpenCvSource, MissingFileIsNegativeAndAtItsEnd) {
  auto capture = makeCapture(QStringLiteral("/nonexistent/clip.mkv"), false);
  EXPECT_LT(capture->channelNumber(false), 0);
  ASSERT_TRUE(capture->openFailure());
  EXPECT_EQ(capture->openFailure()->kind, SourceError::NoFile);
  EXPECT_TRUE(capture->openFailure()->text.contains(QStringLiteral("clip.mkv")));
  EXPECT_TRUE(capture->finished()) << "--exit-at-end must not wait for frames that never come";
}

TEST(OpenCvSource, TextsNameTheirKind) {
  EXPECT_EQ(parseVideoSource(QStringLiteral("0")).kind, SourceKind::Device);
  EXPECT_EQ(parseVideoSource(QStringLiteral("2")).deviceIndex, 2);
  EXPECT_EQ(parseVideoSource(QStringLiteral("/dev/video3")).deviceIndex, 3);
  // Nodes the system never names: no index is made up for them.
  EXPECT_EQ(parseVideoSource(QStringLiteral("/dev/video007")).deviceIndex, -1);
  EXPECT_EQ(parseVideoSource(QStringLiteral("/dev/video55555555555")).deviceIndex, -1);
  EXPECT_TRUE(parseVideoSource(QString()).firstDevice);
  EXPECT_EQ(parseVideoSource(QStringLiteral("frames/%04d.png")).kind, SourceKind::Sequence);
  EXPECT_EQ(parseVideoSource(QStringLiteral("clip.mkv")).kind, SourceKind::File);
  const VideoSource pipeline = parseVideoSource(QStringLiteral("gst:videotestsrc ! appsink"));
  EXPECT_EQ(pipeline.kind, SourceKind::Pipeline);
  EXPECT_EQ(pipeline.location, QStringLiteral("videotestsrc ! appsink"));
}

// A sequence whose last picture claims a size the image library refuses with an exception:
// the capture counts it as a failed read, the end of the sequence, in both modes.
TEST_F(Sequence, AnExceptionOfTheVideoLibraryIsAFailedRead) {
  for (int i = 0; i < 2; ++i) {
    QFile ppm(dir_.filePath(QStringLiteral("%1.ppm").arg(i, 4, 10, QLatin1Char('0'))));
    ASSERT_TRUE(ppm.open(QIODevice::WriteOnly));
    ppm.write("P6\n320 240\n255\n" + QByteArray(320 * 240 * 3, char(10 * i + 5)));
  }
  QFile huge(dir_.filePath(QStringLiteral("0002.ppm")));
  ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
  huge.write("P6\n1000000 1100\n255\n" + QByteArray(32, '\0'));
  huge.close();

  for (const bool step : {true, false}) {
    auto capture = makeCapture(dir_.filePath(QStringLiteral("%04d.ppm")), step);
    FrameSlot slot;
    int frames = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!capture->finished() && std::chrono::steady_clock::now() < deadline) {
      if (capture->grabToSlot(slot) == Grab::New) ++frames;
      QThread::msleep(step ? 0 : 5);
    }
    EXPECT_TRUE(capture->finished()) << "step " << step;
    EXPECT_EQ(frames, 2) << "step " << step;
    EXPECT_EQ(redAtCorner(slot), 15) << "step " << step;
  }
}

}  // namespace
}  // namespace vornix::capture

namespace vornix::capture {
namespace {

// A read that never returns (a playlist whose second part is a pipe nobody writes) does not hold
// up the end: release gives up on the thread after kStopWait, and the thread, left behind, ends
// on its own once the read returns, after the component is gone.
TEST_F(Sequence, ReleaseLeavesAStuckReadBehindAndTheThreadEndsOnItsOwn) {
  // Three grey frames of uncompressed YUV 4:2:0, written here (no encoder process needed).
  QFile clip(dir_.filePath(QStringLiteral("clip.y4m")));
  ASSERT_TRUE(clip.open(QIODevice::WriteOnly));
  clip.write("YUV4MPEG2 W320 H240 F10:1 Ip A1:1 C420jpeg\n");
  for (int frame = 0; frame < 3; ++frame) clip.write("FRAME\n" + QByteArray(320 * 240 * 3 / 2, char(128)));
  clip.close();
  const QByteArray fifo = QFile::encodeName(dir_.filePath(QStringLiteral("stuck.y4m")));
  ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
  QFile playlist(dir_.filePath(QStringLiteral("playlist.ffconcat")));
  ASSERT_TRUE(playlist.open(QIODevice::WriteOnly));
  playlist.write("ffconcat version 1.0\nfile clip.y4m\nfile stuck.y4m\n");
  playlist.close();

  auto capture = makeCapture(playlist.fileName(), false);
  FrameSlot slot;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  int writer = -1;
  while (writer < 0 && std::chrono::steady_clock::now() < deadline) {
    capture->grabToSlot(slot);
    QThread::msleep(5);
    writer = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);  // succeeds once the thread waits in it
  }
  ASSERT_GE(writer, 0) << "the capture thread never reached the pipe";
  EXPECT_FALSE(slot.empty());

  const auto releaseStart = std::chrono::steady_clock::now();
  capture->release();
  EXPECT_LT(std::chrono::steady_clock::now() - releaseStart, OpenCvCapture::kStopWait + std::chrono::milliseconds(500));
  EXPECT_EQ(capture->grabToSlot(slot), Grab::Nothing);
  capture.reset();

  // Garbage through the pipe: the read returns, the thread left behind ends.
  ASSERT_EQ(::write(writer, "no video", 8), 8);
  ::close(writer);
  QThread::msleep(300);
}

// A live source that fails mid-run and comes back: a GStreamer pipeline that ends after a few
// frames, as a camera that drops out does, is opened again a second later and delivers again.
// The capture thread runs all along; the user-interface thread keeps grabbing.
TEST(LiveSource, FailingMidRunAndComingBackDeliversNewFramesAgain) {
  const QString pipeline = QStringLiteral(
      "gst:videotestsrc num-buffers=8 ! video/x-raw,width=320,height=240,framerate=40/1 ! videoconvert ! appsink");
  auto capture = makeCapture(pipeline, false);
  auto* live = dynamic_cast<OpenCvCapture*>(capture.get());
  ASSERT_NE(live, nullptr);
  if (!live->isOpen()) GTEST_SKIP() << "no GStreamer test source: " << live->openFailure()->text.toStdString();

  // New frames, then a silence of repeated ones while the source is away, then new ones again.
  FrameSlot slot;
  int runs = 0;  // runs of new frames separated by a silence
  bool inRun = false;
  auto lastNew = std::chrono::steady_clock::now();
  const auto deadline = lastNew + std::chrono::seconds(10);
  while (runs < 3 && std::chrono::steady_clock::now() < deadline) {
    const Grab grab = capture->grabToSlot(slot);
    const auto now = std::chrono::steady_clock::now();
    if (grab == Grab::New) {
      if (!inRun) ++runs;
      inRun = true;
      lastNew = now;
    } else if (now - lastNew > std::chrono::milliseconds(500)) {
      inRun = false;
    }
    QThread::msleep(5);
  }
  EXPECT_EQ(runs, 3) << "the source came back after each failure";
  EXPECT_EQ(slot.get()->size(), QSize(kFrameWidth, kFrameHeight));
  EXPECT_FALSE(capture->finished()) << "a live source never ends";
  const auto releaseStart = std::chrono::steady_clock::now();
  capture->release();
  EXPECT_LT(std::chrono::steady_clock::now() - releaseStart, OpenCvCapture::kStopWait + std::chrono::milliseconds(500));
  EXPECT_EQ(capture->grabToSlot(slot), Grab::Nothing);
}

}  // namespace
}  // namespace vornix::capture
