#pragma once
// The one port through which the program yields to its message loop and through which timers
// are driven: Qt's event processing in the program, a scripted loop in tests.

#include <QtGlobal>

#include <functional>

namespace vornix::form {

class Timer;

class EventLoop {
public:
  virtual ~EventLoop() = default;
  // Lets pending events run: due timers (never the one whose handler is running), queued
  // actions, socket and operator events.
  virtual void processEvents() = 0;
  // Drives the timer's handler every interval while it is enabled, from now on.
  virtual void watch(Timer& timer) = 0;
  // Queues an action to run at the next processing of events.
  virtual void post(std::function<void()> action) = 0;
  // Milliseconds on the loop's clock.
  virtual qint64 nowMs() const = 0;
  // Ends the loop, and with it the program, with the status (the first request's status holds).
  // From then on quitRequested() is true, so that an operation that yields here can stop.
  virtual void requestQuit(int status) = 0;
  virtual bool quitRequested() const = 0;
};

}  // namespace vornix::form
