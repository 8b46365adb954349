#pragma once
// A TUIO transport that keeps every bundle handed to it and answers as the test says, and a
// whole system with camera frames from the test whose TUIO output is aimed at it from the start.

#include "doubles/scripted_sockets.h"
#include "output/tuio_output.h"
#include "doubles/recording_dialogs.h"
#include "doubles/recording_pointer.h"
#include "support/test_system.h"

#include <vector>

namespace vornix::testing {

class RecordingTuio : public output::TuioTransport {
public:
  std::vector<output::TuioTarget> targets;
  std::vector<output::TuioBundle> bundles;  // every bundle handed over, whatever the answer
  SendResult answer = Delivery::Sent;

  void setTarget(const output::TuioTarget& target) override { targets.push_back(target); }
  SendResult send(const output::TuioBundle& bundle) override {
    bundles.push_back(bundle);
    return answer;
  }

  // The alive list of every bundle, in order.
  std::vector<std::vector<qint32>> aliveLists() const {
    std::vector<std::vector<qint32>> lists;
    for (const output::TuioBundle& bundle : bundles) {
      std::vector<qint32> ids;
      for (const output::TuioCursor& cursor : bundle.cursors) ids.push_back(cursor.sessionId);
      lists.push_back(ids);
    }
    return lists;
  }
};

struct TuioTestSystem {
  form::ScriptedLoop loop;
  form::RecordingDialogs dialogs;
  output::RecordingPointer pointerEvents;
  output::PointerOutput pointer{pointerEvents};
  std::unique_ptr<ScriptedCapture> cameraOwner = std::make_unique<ScriptedCapture>();
  ScriptedCapture& camera = *cameraOwner;
  capture::frmDocument document{std::move(cameraOwner)};
  RecordingTuio tuio;
  server::ScriptedSockets sockets;
  system::System system{ports()};
  panel::MAINFRM& f = system.f;

private:
  system::Ports ports() {
    system::Ports ports{loop, dialogs, pointer, &document};
    ports.tuio = &tuio;
    ports.sockets = &sockets;
    ports.tuioTarget = output::TuioTarget{QStringLiteral("127.0.0.1"), 3333};
    return ports;
  }
};

}  // namespace vornix::testing
