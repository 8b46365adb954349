#pragma once
// A whole system on scripted ports: time moves only when the test advances the loop.

#include "capture/frm_document.h"
#include "doubles/recording_dialogs.h"
#include "doubles/recording_pointer.h"
#include "form/dialogs.h"
#include "doubles/scripted_loop.h"
#include "output/pointer.h"
#include "system/system.h"
#include "support/scripted_capture.h"
#include "support/scripted_serial.h"

#include <memory>

namespace vornix::testing {

inline system::Ports withSerial(system::Ports ports, ScriptedSerial& serial) {
  ports.serial = &serial;
  return ports;
}

struct TestSystem {
  form::ScriptedLoop loop;
  form::RecordingDialogs dialogs;
  output::RecordingPointer pointerEvents;
  output::PointerOutput pointer{pointerEvents};
  ScriptedSerial serial;
  system::System system{withSerial(system::Ports{loop, dialogs, pointer}, serial)};
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
  ScriptedSerial serial;
  system::System system{withSerial(system::Ports{loop, dialogs, pointer, &document}, serial)};
  panel::MAINFRM& f = system.f;
};

}  // namespace vornix::testing
