#pragma once
// The program's event loop port: Qt's event processing, with one precise QTimer per timer
// control. Qt never re-enters a timer's handler from a yield inside it, so a tick that falls due
// while its own handler runs is dropped.

#include "form/event_loop.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>
#include <optional>
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
  // Leaves every running loop, nested ones (a message box, a yield) included.
  void requestQuit(int status) override;
  bool quitRequested() const override { return quitStatus_.has_value(); }

private:
  QObject context_;
  QElapsedTimer clock_;
  std::vector<QTimer*> timers_;
  std::optional<int> quitStatus_;
};

}  // namespace vornix::platform
