#pragma once
// A whole system on scripted ports: time moves only when the test advances the loop.

#include "form/dialogs.h"
#include "form/scripted_loop.h"
#include "panel/system.h"

namespace vornix::testing {

struct TestSystem {
  form::ScriptedLoop loop;
  form::RecordingDialogs dialogs;
  panel::System system{panel::Ports{loop, dialogs}};
  panel::MAINFRM& f = system.f;
};

}  // namespace vornix::testing
