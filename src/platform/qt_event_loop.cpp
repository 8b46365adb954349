#include "platform/qt_event_loop.h"

#include "form/controls.h"
#include "form/errors.h"

#include <QCoreApplication>
#include <QTimer>

namespace vornix::platform {

QtEventLoop::QtEventLoop() { clock_.start(); }

QtEventLoop::~QtEventLoop() = default;  // the timers are children of context_

void QtEventLoop::processEvents() { QCoreApplication::processEvents(); }

void QtEventLoop::watch(form::Timer& control) {
  auto* timer = new QTimer(&context_);
  timer->setTimerType(Qt::PreciseTimer);
  const QByteArray name = control.fullName().toUtf8();
  QObject::connect(timer, &QTimer::timeout, &context_, [&control, name] {
    if (control.onTimer) form::runEvent(name.constData(), control.onTimer);
  });
  const auto follow = [timer, &control] {
    if (control.timerEnabled() && control.interval() > 0) {
      if (!timer->isActive() || timer->interval() != control.interval()) timer->start(control.interval());
    } else {
      timer->stop();
    }
  };
  control.subscribe(follow);
  follow();
  timers_.push_back(timer);
}

void QtEventLoop::requestQuit(int status) {
  if (!quitStatus_) quitStatus_ = status;
  QCoreApplication::exit(*quitStatus_);
}

void QtEventLoop::post(std::function<void()> action) {
  QMetaObject::invokeMethod(
      &context_, [action = std::move(action)] { form::runEvent("posted action", action); },
      Qt::QueuedConnection);
}

}  // namespace vornix::platform
