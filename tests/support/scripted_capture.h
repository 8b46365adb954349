#pragma once
// A capture component that hands out the frames a test queued, one new frame per grab, and
// nothing once the queue is empty; with repeat set, each frame handed out goes to the back of
// the queue. With ended set it is finished once the queue is empty.

#include "base/frame.h"
#include "capture/capture_component.h"

#include <QImage>

#include <deque>
#include <functional>

namespace vornix::testing {

class ScriptedCapture : public capture::CaptureComponent {
public:
  std::deque<QImage> frames;
  int grabs = 0;
  bool repeat = false;
  bool ended = false;
  std::function<double()> projectionMode;  // what the system asked the source to follow

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
  bool finished() const override { return ended && frames.empty(); }
  QString description() const override { return QStringLiteral("scripted frames"); }
  void followProjectionMode(std::function<double()> mode) override { projectionMode = std::move(mode); }

  // A frame arrives, and whoever listens is told, as a camera's thread would.
  std::function<void()> newFrame;
  void arrive(const QImage& frame) {
    frames.push_back(frame);
    if (newFrame) newFrame();
  }
  void onNewFrame(std::function<void()> notify) override { newFrame = std::move(notify); }
  bool frameWaiting() const override { return !frames.empty(); }
};

}  // namespace vornix::testing
