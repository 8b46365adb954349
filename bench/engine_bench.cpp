// The detection pass: the stride-1 scan against copying the two frames and against an OpenCV
// pipeline doing the same comparison, and a whole pass from a frame with a touch to the
// injector's cursor call.

#include "base/frame.h"
#include "engine/detector.h"
#include "support/test_system.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <benchmark/benchmark.h>

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

}  // namespace
