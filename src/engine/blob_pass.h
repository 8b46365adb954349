#pragma once
// Multi-point tracking beside the passes: while "多点跟踪" (section "多点触摸") is 1 or the
// command line asks for it, every frame a pass took is searched for blobs, followed with
// lasting identities. The passes themselves, and the mouse they drive, are left as they are.

#include "engine/detector.h"
#include "form/event_loop.h"
#include "panel/mainfrm.h"
#include "tracking/blob_tracker.h"

#include <QString>

#include <functional>

namespace vornix::engine {

class BlobPass {
public:
  BlobPass(const panel::MAINFRM& f, form::EventLoop& loop) : f_(f), loop_(loop) {}

  // --blobs: tracking is on whatever the configuration file says.
  void setCommandLineEnabled() { commandLine_ = true; }
  // The keys of section "多点触摸" as stored (read by storedText), at every configuration load:
  // "多点跟踪" 0/1; "最小面积" samples; "最大跳距" camera pixels per frame; the 1€ filter's
  // "平滑最小截止" and "平滑导数截止" in Hz and "平滑速度系数". Absent or not a number: the default;
  // a text that is no number is said once on stderr and in the trace.
  void load(const std::function<QString(const char* key)>& storedText);

  bool enabled() const { return commandLine_ || stored_; }

  // The blobs of the frame the pass just took (Picture1) within the scan area's corners, whose
  // samples differ by more than threshold from the static reference (Picture2, when 静态 is
  // selected) or the tracker's own background. Null while tracking is off; turned off, every
  // identity ends once.
  const tracking::TrackedFrame* run(const ScanArea& area, int threshold);

private:
  const panel::MAINFRM& f_;
  form::EventLoop& loop_;
  bool commandLine_ = false;
  bool stored_ = false;
  bool running_ = false;
  tracking::BlobTracker tracker_;
  tracking::TrackedFrame stopped_;
};

}  // namespace vornix::engine
