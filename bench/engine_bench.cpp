// The detection pass: the stride-1 scan against copying the two frames and against an OpenCV
// pipeline doing the same comparison, and a whole pass from a frame with a touch to the
// injector's cursor call; whole stride-1 passes of the rear-projection and two-point modes.

#include "base/frame.h"
#include "doubles/recording_pointer.h"
#include "engine/detector.h"
#include "support/test_system.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using namespace vornix;

constexpr int kThreshold = 60;

// A camera-like frame: smooth shading plus sensor noise of a few levels, different per seed.
QImage cameraFrame(std::uint32_t seed) {
  QImage frame = blankFrame();
  for (int y = 0; y < kFrameHeight; ++y) {
    auto* row = reinterpret_cast<QRgb*>(frame.scanLine(y));
    for (int x = 0; x < kFrameWidth; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = int(seed >> 28);  // 0..15
      row[x] = qRgb((x / 2 + y / 3 + noise) & 0xFF, (x + noise) & 0xFF, (y + noise) & 0xFF);
    }
  }
  return frame;
}

struct FramePair {
  QImage current = cameraFrame(1);
  QImage reference = cameraFrame(2);
};

const engine::ScanArea kWholeFrame{0, 0, kFrameWidth, kFrameHeight, 1};  // 321 x 241 samples

void BM_ScanWithoutTouch(benchmark::State& state) {
  const FramePair frames;
  const FrameView current(frames.current), reference(frames.reference);
  for (auto _ : state) {
    auto touch = engine::findTouch(current, reference, kWholeFrame, kThreshold);
    benchmark::DoNotOptimize(touch);
    if (touch) state.SkipWithError("the frames differ by more than the threshold");
  }
  state.SetItemsProcessed(state.iterations() * 321 * 241);
}
BENCHMARK(BM_ScanWithoutTouch)->Unit(benchmark::kMicrosecond);

void BM_CopyTwoFrames(benchmark::State& state) {
  const FramePair frames;
  std::vector<uchar> a(frames.current.sizeInBytes()), b(frames.reference.sizeInBytes());
  for (auto _ : state) {
    std::memcpy(a.data(), frames.current.constBits(), a.size());
    std::memcpy(b.data(), frames.reference.constBits(), b.size());
    benchmark::DoNotOptimize(a.data());
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopyTwoFrames)->Unit(benchmark::kMicrosecond);

// The same comparison as the usual OpenCV code writes it: red channels, absdiff, threshold,
// findNonZero (which lists every pixel over the threshold).
void BM_OpenCvReference(benchmark::State& state) {
  const FramePair frames;
  const cv::Mat current(kFrameHeight, kFrameWidth, CV_8UC4, const_cast<uchar*>(frames.current.constBits()),
                        std::size_t(frames.current.bytesPerLine()));
  const cv::Mat reference(kFrameHeight, kFrameWidth, CV_8UC4,
                          const_cast<uchar*>(frames.reference.constBits()),
                          std::size_t(frames.reference.bytesPerLine()));
  cv::Mat currentRed, referenceRed, difference, mask;
  std::vector<cv::Point> over;
  for (auto _ : state) {
    cv::extractChannel(current, currentRed, 2);
    cv::extractChannel(reference, referenceRed, 2);
    cv::absdiff(currentRed, referenceRed, difference);
    cv::threshold(difference, mask, kThreshold, 255, cv::THRESH_BINARY);
    cv::findNonZero(mask, over);
    benchmark::DoNotOptimize(over.data());
    if (!over.empty()) state.SkipWithError("the frames differ by more than the threshold");
  }
}
BENCHMARK(BM_OpenCvReference)->Unit(benchmark::kMicrosecond);

// A whole system on scripted ports whose camera loops over the given frames, with a static
// reference and stride 1.
struct PassRig {
  PassRig(const std::vector<QImage>& frames, const QImage& reference) {
    rig.camera.frames.assign(frames.begin(), frames.end());
    rig.camera.repeat = true;
    rig.f.Text6.setText(QStringLiteral("1"));
    rig.f.Option3[3].setSelected(true);
    rig.f.Picture1.setImage(reference);
    rig.f.Command7.click();
  }
  testing::CameraTestSystem rig;
  system::System& system = rig.system;
  output::RecordingPointer& events = rig.pointerEvents;
};

QImage withTouch(const QImage& frame, int x, int y) {
  QImage touched = frame.copy();
  touched.setPixel(x, y, qRgb(255, 255, 255));
  return touched;
}

// From the grab of a frame with a touch low in the picture (most of the scan runs) to the
// cursor call of the injector; the touch alternates between two points so that every pass
// hands a new position over.
void BM_PassWithTouchToCursorCall(benchmark::State& state) {
  const QImage background = cameraFrame(1);
  PassRig rig({withTouch(background, 150, 200), withTouch(background, 170, 210)}, background);
  for (auto _ : state) {
    rig.system.f.Command2.click();
    if (rig.events.events().empty()) state.SkipWithError("no cursor call");
    rig.events.clear();
  }
}
BENCHMARK(BM_PassWithTouchToCursorCall)->Unit(benchmark::kMicrosecond);

// A whole pass over a frame without a touch: grab into Picture1, the stride-1 scan with its
// 241 yields, the drag release test.
void BM_PassWithoutTouch(benchmark::State& state) {
  const QImage background = cameraFrame(1);
  PassRig rig({cameraFrame(2)}, background);
  for (auto _ : state) {
    rig.system.f.Command2.click();
    if (!rig.events.events().empty()) state.SkipWithError("unexpected pointer input");
  }
}
BENCHMARK(BM_PassWithoutTouch)->Unit(benchmark::kMicrosecond);

// The same pass with "自动调解阀值" cleared (0) and checked (1): the noise measurement, the
// global-change test and, on every eighth pass (the rig's reference is static), the drift step
// of the whole reference on top of the scan. Checked must stay within 1.5x of cleared.
void BM_PassWithoutTouchAutomaticThreshold(benchmark::State& state) {
  const QImage background = cameraFrame(1);
  PassRig rig({cameraFrame(2)}, background);
  rig.system.f.Check3.setValue(int(state.range(0)));
  for (auto _ : state) {
    rig.system.f.Command2.click();
    if (!rig.events.events().empty()) state.SkipWithError("unexpected pointer input");
  }
}
BENCHMARK(BM_PassWithoutTouchAutomaticThreshold)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same pass under 矩形校正 (0), 梯形校正 (1) and 非线性校正 (2) with the corners a keystone
// gives: the corrections scan the calibrated area's bounding rectangle and first give the frame
// the reference's pixels outside the area.
void BM_PassWithoutTouchUnderMapping(benchmark::State& state) {
  const QImage background = cameraFrame(1);
  PassRig rig({cameraFrame(2)}, background);
  panel::MAINFRM& f = rig.system.f;
  const QPointF corners[4] = {{50, 18}, {22, 222}, {270, 18}, {298, 222}};
  for (std::size_t i = 0; i < 4; ++i) {
    f.Text1[i].setText(QString::number(corners[i].x()));
    f.Text2[i].setText(QString::number(corners[i].y()));
  }
  f.calibrationGrid = {3, 3, {corners[0], (corners[0] + corners[2]) / 2, corners[2], (corners[0] + corners[1]) / 2,
                              (corners[0] + corners[3]) / 2, (corners[2] + corners[3]) / 2, corners[1],
                              (corners[1] + corners[3]) / 2, corners[3]}};
  f.Option2[2].setEnabled(true);
  f.Option2[std::size_t(state.range(0))].setSelected(true);
  for (auto _ : state) {
    f.Command2.click();
    if (!rig.events.events().empty()) state.SkipWithError("unexpected pointer input");
  }
}
BENCHMARK(BM_PassWithoutTouchUnderMapping)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// Whole passes of the rear-projection mode 3 (Command8) and the two-point mode 6 (Command9).
// Without a touch: the camera frames of the single-touch benchmarks, every sample read. With a
// touch at the bottom right: two frames in turn, each with the fingers a little elsewhere, so
// that every pass hands its points over (and, in mode 3, renews the reference with them).
void passOverFrames(benchmark::State& state, void (*click)(system::System&), const std::vector<QImage>& frames,
                    const QImage& reference, bool touches) {
  PassRig rig(frames, reference);
  for (auto _ : state) {
    click(rig.system);
    if (rig.events.events().empty() == touches) state.SkipWithError(touches ? "no cursor call" : "unexpected pointer input");
    rig.events.clear();
  }
}

void clickEight(system::System& s) { s.f.Command8.click(); }
void clickNine(system::System& s) { s.f.Command9.click(); }

// The bottom right of a camera frame, dimmed to a red of 90 from row 220 and column 236 on, where
// the fingers show.
QImage dimBottomRight() {
  QImage frame = cameraFrame(1);
  for (int y = 220; y < kFrameHeight; ++y)
    for (int x = 236; x < kFrameWidth; ++x) frame.setPixel(x, y, qRgb(90, 80, 70));
  return frame;
}

// A fingertip's stripe, 10 rows from (left, top), over the dimmed corner: edges of 8 columns
// rising and falling 17 levels a column around 10 columns of plateau.
QImage withStripe(const QImage& frame, int left, int top) {
  constexpr std::array<int, 26> kProfile{17, 34, 51, 68, 85, 102, 119, 136, 150, 150, 150, 150, 150,
                                         150, 150, 150, 150, 150, 136, 119, 102, 85, 68, 51, 34, 17};
  QImage pressed = frame.copy();
  for (int y = top; y < top + 10; ++y)
    for (int i = 0; i < int(kProfile.size()); ++i) pressed.setPixel(left + i, y, qRgb(90 + kProfile[i], 80, 70));
  return pressed;
}

// Two fingers 5 columns wide from row 225 down.
QImage withFingers(const QImage& frame, int left1, int left2) {
  QImage touched = frame.copy();
  for (int y = 225; y < kFrameHeight; ++y)
    for (const int left : {left1, left2})
      for (int x = left; x < left + 5; ++x) touched.setPixel(x, y, qRgb(250, 240, 230));
  return touched;
}

void BM_StripePassWithoutTouch(benchmark::State& state) {
  passOverFrames(state, clickEight, {cameraFrame(2)}, cameraFrame(1), false);
}
BENCHMARK(BM_StripePassWithoutTouch)->Unit(benchmark::kMicrosecond);

void BM_StripePassWithTouchBottomRight(benchmark::State& state) {
  const QImage corner = dimBottomRight();
  passOverFrames(state, clickEight, {withStripe(corner, 241, 220), withStripe(corner, 281, 230)}, corner, true);
}
BENCHMARK(BM_StripePassWithTouchBottomRight)->Unit(benchmark::kMicrosecond);

void BM_TwoPointPassWithoutTouch(benchmark::State& state) {
  passOverFrames(state, clickNine, {cameraFrame(2)}, cameraFrame(1), false);
}
BENCHMARK(BM_TwoPointPassWithoutTouch)->Unit(benchmark::kMicrosecond);

void BM_TwoPointPassWithTouchBottomRight(benchmark::State& state) {
  const QImage corner = dimBottomRight();
  passOverFrames(state, clickNine, {withFingers(corner, 250, 290), withFingers(corner, 254, 294)}, corner, true);
}
BENCHMARK(BM_TwoPointPassWithTouchBottomRight)->Unit(benchmark::kMicrosecond);

// Passes whose corner fields span the whole 16-bit range, so that nearly every sample of the
// grid lies outside the picture: mode 6 with a fractional stride over frames without a touch,
// mode 3 with a negative threshold over a frame equal to its reference (every sample counts
// as brighter, so every stripe measurement runs to its limit).
void spanTheSixteenBitRange(panel::MAINFRM& f) {
  f.Text1[0].setText(QStringLiteral("-32768"));
  f.Text2[0].setText(QStringLiteral("-32768"));
  f.Text1[3].setText(QStringLiteral("32767"));
  f.Text2[3].setText(QStringLiteral("32767"));
}

void BM_TwoPointPassFractionalStrideBeyondThePicture(benchmark::State& state) {
  PassRig rig({cameraFrame(2)}, cameraFrame(1));
  spanTheSixteenBitRange(rig.system.f);
  rig.system.f.Text6.setText(QStringLiteral("1.5"));
  rig.system.f.Text4.setText(QString::number(kThreshold));
  for (auto _ : state) {
    rig.system.f.Command9.click();
    if (!rig.events.events().empty()) state.SkipWithError("unexpected pointer input");
  }
}
BENCHMARK(BM_TwoPointPassFractionalStrideBeyondThePicture)->Unit(benchmark::kMillisecond);

void BM_StripePassNegativeThresholdBeyondThePicture(benchmark::State& state) {
  PassRig rig({cameraFrame(1)}, cameraFrame(1));
  spanTheSixteenBitRange(rig.system.f);
  rig.system.f.Text4.setText(QStringLiteral("-1"));
  for (auto _ : state) {
    rig.system.f.Command8.click();
    if (!rig.events.events().empty()) state.SkipWithError("unexpected pointer input");
  }
}
BENCHMARK(BM_StripePassNegativeThresholdBeyondThePicture)->Unit(benchmark::kMillisecond);


// Whole passes of the laser pointer mode 4 (Command12) and the zone mode 5 (Command13), stride
// 1. The laser: a projected picture with a dot of red 255 moving between two places, so every
// pass hands its point over; the threshold below the dot and above the picture. The zones: ten
// zones of 60 x 60 over the frame, against a reference without anyone in them.
void clickTwelve(system::System& s) { s.f.Command12.click(); }
void clickThirteen(system::System& s) { s.f.Command13.click(); }

QImage withLaserDot(const QImage& frame, int cx, int cy) {
  QImage dotted = frame.copy();
  for (int y = cy - 3; y <= cy + 3; ++y)
    for (int x = cx - 3; x <= cx + 3; ++x)
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= 9) dotted.setPixel(x, y, qRgb(255, 64, 64));
  return dotted;
}

// A camera frame whose red stays below 200, as a projected picture seen at a low exposure.
QImage projectedPicture() {
  QImage frame = cameraFrame(1);
  for (int y = 0; y < kFrameHeight; ++y) {
    auto* row = reinterpret_cast<QRgb*>(frame.scanLine(y));
    for (int x = 0; x < kFrameWidth; ++x) row[x] = qRgb(qRed(row[x]) % 200, qGreen(row[x]), qBlue(row[x]));
  }
  return frame;
}

void BM_LaserPassWithSpot(benchmark::State& state) {
  const QImage picture = projectedPicture();
  PassRig rig({withLaserDot(picture, 100, 100), withLaserDot(picture, 220, 160)}, picture);
  rig.system.f.Text4.setText(QStringLiteral("250"));
  for (auto _ : state) {
    clickTwelve(rig.system);
    if (rig.events.events().empty()) state.SkipWithError("no cursor call");
    rig.events.clear();
  }
}
BENCHMARK(BM_LaserPassWithSpot)->Unit(benchmark::kMicrosecond);

void BM_ZonePassTenZones(benchmark::State& state) {
  PassRig rig({cameraFrame(2)}, cameraFrame(1));
  std::vector<panel::Zone> zones;
  for (int i = 0; i < 10; ++i)
    zones.push_back({QRect(10 + (i % 5) * 62, 20 + (i / 5) * 110, 60, 60), QStringLiteral("key:F%1").arg(i + 1)});
  rig.system.f.zones.set(zones);
  rig.system.f.Option4[5].setSelected(true);
  for (auto _ : state) {
    clickThirteen(rig.system);
    if (!rig.events.events().empty()) state.SkipWithError("a zone fired");
  }
}
BENCHMARK(BM_ZonePassTenZones)->Unit(benchmark::kMicrosecond);

}  // namespace
