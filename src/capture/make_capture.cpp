#include "capture/capture_component.h"
#include "capture/demo_capture.h"
#include "capture/opencv_capture.h"

namespace vornix::capture {

std::unique_ptr<CaptureComponent> makeCapture(const QString& sourceText, bool step, QString* error) {
  if (error) error->clear();
  if (sourceText == QLatin1String("demo")) return std::make_unique<DemoCapture>(step);
  auto capture = std::make_unique<OpenCvCapture>(parseVideoSource(sourceText), step);
  if (error && !capture->isOpen()) *error = capture->openError();
  return capture;
}

}  // namespace vornix::capture
