#include "output/serial_relay.h"

#include "base/text_rules.h"
#include "base/trace.h"

#include <QScopeGuard>

namespace vornix::output {

namespace {

const QString kMarker = QStringLiteral(":::MOUSEX=");
constexpr qsizetype kXOffset = 10, kYOffset = 17, kDotOffset = 21, kMessageLength = 22;

QString errorMessage(const SerialError& error) {
  return decimalText(error.number()) + QStringLiteral("\r\n") + error.description();
}

SerialError noLine() { return SerialError(1, QStringLiteral("no serial line in this system")); }

}  // namespace

void NoSerialLine::setPortOpen(bool open) {
  if (open) throw noLine();
}

void NoSerialLine::output(const QString&) { throw noLine(); }

QString NoSerialLine::input() { throw noLine(); }

SerialRelay::SerialRelay(panel::MAINFRM& f, form::EventLoop& loop, form::Dialogs& dialogs,
                         SerialComponent& port, PointerDispatch& dispatch)
    : f_(f), loop_(loop), dialogs_(dialogs), port_(port), dispatch_(dispatch) {
  port_.onLost = [this](const SerialError& error) { failedQuietly(error); };
  // The poll reads the port only in the receiver role; otherwise the port drops what arrives.
  const auto followReader = [this] {
    port_.setInputWanted(f_.Timer5.timerEnabled() && f_.Option5[1].selected());
  };
  f_.Timer5.subscribe(followReader);
  f_.Option5[1].subscribe(followReader);
  followReader();
}

void SerialRelay::Check6_Click() {
  if (f_.Check6.value() == 1) {
    openReporting();
    f_.Timer5.setTimerEnabled(true);
    f_.Frame7.setEnabled(true);
  }
  if (f_.Check6.value() == 0) {
    port_.setPortOpen(false);
    f_.Timer5.setTimerEnabled(false);
    f_.Frame7.setEnabled(false);
  }
}

void SerialRelay::Text7_Change() {
  const double v = f_.Text7.value();
  if (!(v > 0 && v < 257)) {
    dialogs_.message(QStringLiteral("串口号错误"));
    return;
  }
  std::optional<SerialError> lastFailure;
  const auto guarded = [&](auto&& body) {
    try {
      body();
    } catch (const SerialError& error) {
      lastFailure = error;
    } catch (const std::exception& error) {
      lastFailure = SerialError(0, QString::fromUtf8(error.what()));
    }
  };
  guarded([&] { port_.setPortOpen(false); });
  guarded([&] { port_.setCommPort(form::int16Of(v)); });
  guarded([&] {
    port_.setPortOpen(true);
    opened();
  });
  if (lastFailure) dialogs_.message(errorMessage(*lastFailure));
}

void SerialRelay::Text9_Change() {
  if (!f_.Option5[0].selected() || f_.Check6.value() != 1) return;
  if (!openQuietly()) return;
  const QString message = f_.Text9.text();
  try {
    port_.output(message);
  } catch (const SerialError& error) {
    failedQuietly(error);
    return;
  }
  trace("serial-send", message);
}

void SerialRelay::Timer5_Timer() {
  // A received point is being dispatched: a nested tick would start a second dispatch inside
  // its yield. The input waits in the port for the next tick.
  if (dispatching_) return;
  if (!f_.Option5[1].selected()) return;
  if (!openQuietly()) return;
  QString input;
  try {
    input = port_.input();
  } catch (const SerialError& error) {
    failedQuietly(error);
    return;
  }
  if (input.isEmpty()) return;
  if (designTextInBuffer_) {
    // The design-time text is no received data: the first input replaces it.
    designTextInBuffer_ = false;
    f_.Text10.setText(QString());
    f_.Text10.setText(input);
    return;
  }
  f_.Text10.setText(f_.Text10.text() + input);
}

void SerialRelay::Text10_Change() {
  const QString buffer = f_.Text10.text();
  const qsizetype at = buffer.indexOf(kMarker);
  if (at >= 0 && buffer.mid(at + kDotOffset, 1) == QLatin1String(".")) {
    const double x = numericValue(QStringView(buffer).mid(at + kXOffset, 4));
    const double y = numericValue(QStringView(buffer).mid(at + kYOffset, 4));
    f_.Text8[0].setText(decimalText(x));
    f_.Text8[1].setText(decimalText(y));
    trace("serial-recv", buffer.mid(at, kMessageLength));
    // Taken out before the dispatch: a message whose dispatch fails (a coordinate beyond the
    // 32-bit range) is gone like any other and cannot block the receiver.
    f_.Text10.setText(QStringLiteral("处理"));
    const auto restore = qScopeGuard([this, was = dispatching_] { dispatching_ = was; });
    dispatching_ = true;
    dispatch_.Text17_Change();
  }
  if (f_.Text10.text().size() > kBufferLimit) f_.Text10.setText(QString());
}

void SerialRelay::openReporting() {
  try {
    port_.setPortOpen(true);
    opened();
  } catch (const SerialError& error) {
    dialogs_.message(errorMessage(error));
  }
}

bool SerialRelay::openQuietly() {
  if (port_.portOpen()) return true;
  const qint64 now = loop_.nowMs();
  if (lastFailedOpen_ && now - *lastFailedOpen_ < kRetryMs) return false;
  try {
    port_.setPortOpen(true);
  } catch (const SerialError& error) {
    lastFailedOpen_ = now;
    failedQuietly(error);
    return false;
  }
  opened();
  return true;
}

void SerialRelay::failedQuietly(const SerialError& error) {
  if (failing_) return;
  failing_ = true;
  trace("error", QStringLiteral("serial: ") + error.description());
}

void SerialRelay::opened() {
  lastFailedOpen_.reset();
  failing_ = false;
}

}  // namespace vornix::output
