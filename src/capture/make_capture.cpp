#include "capture/capture_component.h"
#include "capture/demo_capture.h"
#include "capture/opencv_capture.h"

namespace vornix::capture {

std::unique_ptr<CaptureComponent> makeCapture(const QString& sourceText, bool step) {
  if (sourceText == QLatin1String("demo")) return std::make_unique<DemoCapture>(step);
  return std::make_unique<OpenCvCapture>(parseVideoSource(sourceText), step);
}

}  // namespace vornix::capture
