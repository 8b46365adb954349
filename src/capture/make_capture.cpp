#include "capture/capture_component.h"
#include "capture/demo_capture.h"
#include "capture/opencv_capture.h"

namespace vornix::capture {

std::unique_ptr<CaptureComponent> makeCapture(const QString& sourceSpec, bool step, QString* error) {
  if (error) error->clear();
  if (sourceSpec == QLatin1String("demo")) return std::make_unique<DemoCapture>(step);
  auto capture = std::make_unique<OpenCvCapture>(parseSourceSpec(sourceSpec), step);
  if (error && !capture->isOpen()) *error = capture->openError();
  return capture;
}

}  // namespace vornix::capture
