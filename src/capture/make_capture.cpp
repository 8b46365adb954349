#include "capture/capture_component.h"
#include "capture/demo_capture.h"
#include "capture/opencv_capture.h"
#include "capture/screen_camera.h"

namespace vornix::capture {

std::unique_ptr<CaptureComponent> makeCapture(const QString& sourceText, bool step,
                                              const ScreenGrabberFactory& openScreen,
                                              std::shared_ptr<const VideoDeviceEnumerator> devices) {
  if (sourceText == QLatin1String("demo")) return std::make_unique<DemoCapture>(step);
  if (isScreenSource(sourceText)) {
    // The command line has refused a malformed placement already.
    const auto placement = parseScreenSource(sourceText);
    return std::make_unique<ScreenCapture>(placement ? *placement : CameraPlacement{}, openScreen, step);
  }
  return std::make_unique<OpenCvCapture>(parseVideoSource(sourceText), step, std::move(devices));
}

}  // namespace vornix::capture
