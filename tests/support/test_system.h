#pragma once
// A whole system on scripted ports: time moves only when the test advances the loop.

#include "capture/frm_document.h"
#include "doubles/recording_dialogs.h"
#include "doubles/recording_pointer.h"
#include "form/dialogs.h"
#include "doubles/scripted_loop.h"
#include "doubles/scripted_sockets.h"
#include "output/pointer.h"
#include "system/system.h"
#include "support/scripted_capture.h"
#include "support/scripted_serial.h"

#include <memory>

namespace vornix::testing {

inline system::Ports scripted(system::Ports ports, ScriptedSerial& serial, server::ScriptedSockets& sockets) {
  ports.serial = &serial;
  ports.sockets = &sockets;
  return ports;
}

struct TestSystem {
  // sockets: the multi-touch server's (none: the scripted ones below) and the port it listens on.
  explicit TestSystem(server::TcpElementFactory* realSockets = nullptr, quint16 multiTouchPort = 5500)
      : system([&] {
          system::Ports ports = scripted(system::Ports{loop, dialogs, pointer}, serial, sockets);
          if (realSockets) ports.sockets = realSockets;
          ports.multiTouchPort = multiTouchPort;
          return ports;
        }()) {}

  form::ScriptedLoop loop;
  form::RecordingDialogs dialogs;
  output::RecordingPointer pointerEvents;
  output::PointerOutput pointer{pointerEvents};
  ScriptedSerial serial;
  server::ScriptedSockets sockets;
  system::System system;
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
  server::ScriptedSockets sockets;
  system::System system{scripted(system::Ports{loop, dialogs, pointer, &document}, serial, sockets)};
  panel::MAINFRM& f = system.f;
};

}  // namespace vornix::testing
