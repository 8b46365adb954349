// The tracker's cost per frame: an empty scene against copying the two frames in the same run,
// and eight walking blobs found, matched and smoothed.

#include "base/frame.h"
#include "tracking/blob_tracker.h"

#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

using namespace vornix;

constexpr int kThreshold = 60;
const QRect kWholeFrame(0, 0, kFrameWidth, kFrameHeight);

// A surface with sensor noise of a few levels, different per seed; with walkers, eight light
// discs 16 pixels wide, moved on by step pixels.
QImage floorFrame(std::uint32_t seed, int walkers = 0, int step = 0) {
  QImage frame = blankFrame();
  for (int y = 0; y < kFrameHeight; ++y) {
    auto* row = reinterpret_cast<QRgb*>(frame.scanLine(y));
    for (int x = 0; x < kFrameWidth; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = int(seed >> 28);  // 0..15
      row[x] = qRgb(100 + noise, 80 + noise, 120 + noise);
    }
  }
  QPainter painter(&frame);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(240, 230, 220));
  for (int i = 0; i < walkers; ++i) painter.drawEllipse(QPointF(30 + 36 * i + step, 40 + 20 * i), 8, 8);
  return frame;
}

void BM_CopyTwoFrames(benchmark::State& state) {
  const QImage current = floorFrame(1), reference = floorFrame(2);
  std::vector<uchar> a(current.sizeInBytes()), b(reference.sizeInBytes());
  for (auto _ : state) {
    std::memcpy(a.data(), current.constBits(), a.size());
    std::memcpy(b.data(), reference.constBits(), b.size());
    benchmark::DoNotOptimize(a.data());
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopyTwoFrames)->Unit(benchmark::kMicrosecond);

// frames alternate; the tracker has seen the first of them (its background starts there).
void runTracker(benchmark::State& state, const std::vector<QImage>& frames, std::size_t expected) {
  tracking::BlobTracker tracker;
  tracker.update(FrameView(floorFrame(1)), nullptr, kWholeFrame, kThreshold, 0);
  double t = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    const tracking::TrackedFrame& tracked =
        tracker.update(FrameView(frames[i++ % frames.size()]), nullptr, kWholeFrame, kThreshold, t += 0.05);
    if (tracked.blobs.size() != expected) state.SkipWithError("the tracker lost count of the blobs");
    benchmark::DoNotOptimize(tracked.blobs.data());
  }
}

void BM_TrackEmptyScene(benchmark::State& state) { runTracker(state, {floorFrame(2), floorFrame(3)}, 0); }
BENCHMARK(BM_TrackEmptyScene)->Unit(benchmark::kMicrosecond);

void BM_TrackEightWalkers(benchmark::State& state) {
  runTracker(state, {floorFrame(2, 8, 0), floorFrame(3, 8, 2), floorFrame(4, 8, 4), floorFrame(5, 8, 2)}, 8);
}
BENCHMARK(BM_TrackEightWalkers)->Unit(benchmark::kMicrosecond);

}  // namespace
