#pragma once
// A capture component that hands out the frames a test queued, one new frame per grab, and
// nothing once the queue is empty; with repeat set, each frame handed out goes to the back of
// the queue.

#include "base/frame.h"
#include "capture/capture_component.h"

#include <deque>

namespace vornix::testing {

class ScriptedCapture : public capture::CaptureComponent {
public:
  std::deque<QImage> frames;
  int grabs = 0;
  bool repeat = false;

  void release() override { frames.clear(); }
  capture::Grab grabToSlot(capture::FrameSlot& slot) override {
    ++grabs;
    if (frames.empty()) return capture::Grab::Nothing;
    slot.put(frames.front());
    if (repeat) frames.push_back(frames.front());
    frames.pop_front();
    return capture::Grab::New;
  }
  int videoWidth() const override { return kFrameWidth; }
  int videoHeight() const override { return kFrameHeight; }
  std::int16_t channelNumber(bool) const override { return 0; }
  bool finished() const override { return false; }
  QString description() const override { return QStringLiteral("scripted frames"); }
};

}  // namespace vornix::testing
