#include "capture/capture_component.h"
#include "capture/opencv_capture.h"

#include "base/frame.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>

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
  QString error;
  auto capture = makeCapture(writeFrames(3), true, &error);
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  EXPECT_GE(capture->channelNumber(false), 0);
  FrameSlot slot;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(capture->grabToSlot(slot)) << "frame " << i;
    const QImage frame = *slot.get();
    EXPECT_EQ(frame.size(), QSize(kFrameWidth, kFrameHeight));
    EXPECT_EQ(frame.format(), QImage::Format_RGB32);
    EXPECT_EQ(frame.pixel(0, 0), qRgb(10 * i + 5, 100, 200)) << "colours keep their channels";
  }
}

TEST_F(Sequence, FinishedOnceTheLastFrameIsHandedOut) {
  auto capture = makeCapture(writeFrames(2), true, nullptr);
  FrameSlot slot;
  EXPECT_FALSE(capture->finished());
  ASSERT_TRUE(capture->grabToSlot(slot));
  EXPECT_FALSE(capture->finished());
  ASSERT_TRUE(capture->grabToSlot(slot));
  EXPECT_TRUE(capture->finished());
  EXPECT_EQ(redAtCorner(slot), 15);
}

TEST_F(Sequence, GrabsPastTheEndKeepTheLastFrame) {
  auto capture = makeCapture(writeFrames(2), true, nullptr);
  FrameSlot slot;
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(capture->grabToSlot(slot));
  EXPECT_EQ(redAtCorner(slot), 15);
  EXPECT_TRUE(capture->finished());
}

TEST_F(Sequence, LargerFramesAreScaledToTheCaptureSize) {
  auto capture = makeCapture(writeFrames(1, 640, 480), true, nullptr);
  FrameSlot slot;
  ASSERT_TRUE(capture->grabToSlot(slot));
  EXPECT_EQ(slot.get()->size(), QSize(kFrameWidth, kFrameHeight));
  EXPECT_EQ(slot.get()->pixel(319, 239), qRgb(5, 100, 200));
  EXPECT_EQ(capture->videoWidth(), kFrameWidth);
  EXPECT_EQ(capture->videoHeight(), kFrameHeight);
}

TEST_F(Sequence, RealTimePlaysToTheEndWithoutTheCallerWaiting) {
  auto capture = makeCapture(writeFrames(3), false, nullptr);
  FrameSlot slot;
  std::vector<int> seen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!capture->finished() && std::chrono::steady_clock::now() < deadline) {
    if (capture->grabToSlot(slot) && (seen.empty() || seen.back() != redAtCorner(slot)))
      seen.push_back(redAtCorner(slot));
    QThread::msleep(5);
  }
  ASSERT_TRUE(capture->finished());
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), 25) << "the last frame was handed out before the end is reported";
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

TEST_F(Sequence, ReleaseStopsHandingOutFrames) {
  auto capture = makeCapture(writeFrames(2), true, nullptr);
  capture->release();
  FrameSlot slot;
  EXPECT_FALSE(capture->grabToSlot(slot));
  EXPECT_TRUE(slot.empty());
}

TEST(OpenCvSource, MissingDeviceHasNegativeChannelAndPutsNothing) {
  QString error;
  auto capture = makeCapture(QStringLiteral("/dev/video77"), false, &error);
  EXPECT_LT(capture->channelNumber(false), 0);
  EXPECT_FALSE(error.isEmpty());
  FrameSlot slot;
  slot.put(blankFrame());
  EXPECT_FALSE(capture->grabToSlot(slot));
  EXPECT_TRUE(slot.get().has_value()) << "a failed grab leaves the slot as it was";
  EXPECT_FALSE(capture->finished()) << "a camera may still come";
}

TEST(OpenCvSource, StableLinkOfAnUnpluggedCameraIsAMissingDevice) {
  const QString link = QStringLiteral("/dev/v4l/by-id/usb-Vornix_Test_Camera-video-index0");
  EXPECT_EQ(parseVideoSource(link).kind, SourceKind::Device);
  QString error;
  auto capture = makeCapture(link, false, &error);
  EXPECT_LT(capture->channelNumber(false), 0);
  EXPECT_EQ(error, QStringLiteral("camera ") + link + QStringLiteral(": no such device"));
  EXPECT_FALSE(capture->finished()) << "the camera may be plugged in again";
}

TEST(OpenCvSource, MissingFileIsNegativeAndAtItsEnd) {
  QString error;
  auto capture = makeCapture(QStringLiteral("/nonexistent/clip.mkv"), false, &error);
  EXPECT_LT(capture->channelNumber(false), 0);
  EXPECT_TRUE(error.contains(QStringLiteral("clip.mkv")));
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

// The project's clips: the lossless video decodes to the very pixels of its frames, and the
// touches listed beside them are what a dynamic-reference scan of those frames finds.
TEST(ProjectClips, VideoMatchesFramesAndListedTouches) {
  const QString source = qEnvironmentVariable(
      "VORNIX_SOURCE_DIR", QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../.."));
  const QString script = source + QStringLiteral("/scripts/make_clips.py");
  if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty() || !QFile::exists(script))
    GTEST_SKIP() << "ffmpeg or the clip script is missing";
  QTemporaryDir dir;
  QProcess make;
  make.start(QStringLiteral("/usr/bin/python3"), {script, dir.path()});
  ASSERT_TRUE(make.waitForFinished(120000));
  ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();

  QFile json(dir.filePath(QStringLiteral("blob.json")));
  ASSERT_TRUE(json.open(QIODevice::ReadOnly));
  const QJsonObject clip = QJsonDocument::fromJson(json.readAll()).object();
  auto frames = makeCapture(dir.filePath(clip[QStringLiteral("pattern")].toString()), true, nullptr);
  auto video = makeCapture(dir.filePath(clip[QStringLiteral("video")].toString()), true, nullptr);
  ASSERT_GE(video->channelNumber(false), 0);

  QJsonArray found;
  QImage previous;
  FrameSlot fromFrames, fromVideo;
  const int count = clip[QStringLiteral("frames")].toInt();
  for (int f = 0; f < count; ++f) {
    ASSERT_TRUE(frames->grabToSlot(fromFrames));
    ASSERT_TRUE(video->grabToSlot(fromVideo));
    const QImage current = *fromFrames.get();
    ASSERT_EQ(current, *fromVideo.get()) << "frame " << f;
    if (!previous.isNull()) {
      const FrameView cur(current), ref(previous);
      bool hit = false;
      for (int y = 0; y <= kFrameHeight && !hit; y += 2)
        for (int x = 0; x <= kFrameWidth && !hit; x += 2)
          if (std::abs(cur.red(x, y) - ref.red(x, y)) > 60) {
            found.append(QJsonArray{f, x, y});
            hit = true;
          }
    }
    previous = current;
  }
  EXPECT_TRUE(frames->finished());
  EXPECT_TRUE(video->finished());
  EXPECT_EQ(found, clip[QStringLiteral("touches")].toObject()[QStringLiteral("stride2")].toArray());
}

}  // namespace
}  // namespace vornix::capture
