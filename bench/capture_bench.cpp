// Taking a frame from the capture thread into the current-frame pane, as every pass does.

#include "capture/capture_component.h"
#include "capture/demo_capture.h"
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

}  // namespace
