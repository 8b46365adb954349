#pragma once
// The program's event loop port: Qt's event processing, with one precise QTimer per timer
// control. Qt never re-enters a timer's handler from a yield inside it, so a tick that falls due
// while its own handler runs is dropped.

#include "form/event_loop.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>
#include <vector>

class QTimer;

namespace vornix::platform {

class QtEventLoop : public form::EventLoop {
public:
  QtEventLoop();
  ~QtEventLoop() override;
  void processEvents() override;
  void watch(form::Timer& timer) override;
  void post(std::function<void()> action) override;
  qint64 nowMs() const override { return clock_.elapsed(); }

private:
  QObject context_;
  QElapsedTimer clock_;
  std::vector<QTimer*> timers_;
};

}  // namespace vornix::platform
