// Taking a frame from the capture thread into the current-frame pane, as every pass does.

#include "capture/capture_component.h"
#include "capture/demo_capture.h"
#include "capture/screen_camera.h"
#include "form/controls.h"

#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

namespace {

using namespace vornix;

void BM_GrabFromCaptureThreadIntoPicture(benchmark::State& state) {
  QTemporaryDir dir;
  for (int i = 0; i < 4; ++i) {
    QImage image(640, 480, QImage::Format_RGB888);
    image.fill(qRgb(40 * i, 90, 160));
    image.save(dir.filePath(QStringLiteral("%1.png").arg(i, 4, 10, QLatin1Char('0'))));
  }
  auto capture = capture::makeCapture(dir.filePath(QStringLiteral("%04d.png")), false);
  capture::FrameSlot slot;
  while (capture->grabToSlot(slot) == capture::Grab::Nothing) QThread::msleep(1);
  form::Picture picture1(QStringLiteral("Picture1"));
  for (auto _ : state) {
    capture->grabToSlot(slot);
    if (auto image = slot.get()) picture1.setImage(*image);
    slot.clear();
    benchmark::DoNotOptimize(picture1.image().constBits());
  }
}
BENCHMARK(BM_GrabFromCaptureThreadIntoPicture)->Unit(benchmark::kMicrosecond);

void BM_DemoSceneFrame(benchmark::State& state) {
  std::int64_t frame = 0;
  for (auto _ : state) {
    QImage image = capture::DemoScene::render(frame++);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_DemoSceneFrame)->Unit(benchmark::kMicrosecond);

// The simulated room's picture of a 1024 x 768 screen at a 15 % keystone through a bending lens;
// the sampling map is worked out before the loop, as the first frame does.
void BM_ScreenCameraFrame(benchmark::State& state) {
  QImage screen(1024, 768, QImage::Format_RGB32);
  screen.fill(qRgb(20, 20, 20));
  capture::ScreenCamera camera(*capture::parseScreenSource(QStringLiteral("screen:44,24,24,216,276,24,296,216:0.08")));
  std::uint64_t seed = 1;
  camera.picture(screen, seed);
  for (auto _ : state) {
    QImage picture = camera.picture(screen, ++seed);
    benchmark::DoNotOptimize(picture.constBits());
  }
}
BENCHMARK(BM_ScreenCameraFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
