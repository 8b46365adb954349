#pragma once
// A whole system on scripted ports: time moves only when the test advances the loop.

#include "capture/frm_document.h"
#include "form/dialogs.h"
#include "form/scripted_loop.h"
#include "output/pointer.h"
#include "system/system.h"
#include "support/scripted_capture.h"

#include <memory>

namespace vornix::testing {

struct TestSystem {
  form::ScriptedLoop loop;
  form::RecordingDialogs dialogs;
  output::RecordingPointer pointerEvents;
  output::PointerOutput pointer{pointerEvents};
  system::System system{system::Ports{loop, dialogs, pointer}};
  panel::MAINFRM& f = system.f;
};

// A system whose default capture window hands out the frames the test queues in camera.frames.
struct CameraTestSystem {
  form::ScriptedLoop loop;
  form::RecordingDialogs dialogs;
  output::RecordingPointer pointerEvents;
  output::PointerOutput pointer{pointerEvents};
  std::unique_ptr<ScriptedCapture> cameraOwner = std::make_unique<ScriptedCapture>();
  ScriptedCapture& camera = *cameraOwner;
  capture::frmDocument document{std::move(cameraOwner)};
  system::System system{system::Ports{loop, dialogs, pointer, &document}};
  panel::MAINFRM& f = system.f;
};

}  // namespace vornix::testing
