#pragma once
// The serial relay between two installations: the sender writes every mapped point to the line,
// the receiver reads the line, finds position messages and feeds them to the pointer dispatch.

#include "form/dialogs.h"
#include "form/event_loop.h"
#include "output/pointer_dispatch.h"
#include "output/serial_component.h"
#include "panel/mainfrm.h"

#include <optional>

namespace vornix::output {

class SerialRelay {
public:
  SerialRelay(panel::MAINFRM& f, form::EventLoop& loop, form::Dialogs& dialogs, SerialComponent& port,
              PointerDispatch& dispatch);
  ~SerialRelay() { port_.onLost = nullptr; }
  SerialRelay(const SerialRelay&) = delete;
  SerialRelay& operator=(const SerialRelay&) = delete;

  // Relay switch: checked opens the port and starts the poll, cleared closes it and stops the
  // poll; Frame7 follows. A failed open shows the error-number message.
  void Check6_Click();
  // Port number: "串口号错误" outside 1..256, otherwise close, set, open, and one message with
  // the last failure's number and description.
  void Text7_Change();
  // Sender: writes Text9 to the line in the sender role while Check6 is checked.
  void Text9_Change();
  // Receive poll: appends all pending input to Text10 in the receiver role.
  void Timer5_Timer();
  // Receive parse: the first position message in Text10 goes to the dispatch.
  void Text10_Change();

  // The sender and the poll try a failed open again at most this often.
  static constexpr qint64 kRetryMs = 1000;
  // The receive buffer is emptied once it is longer than this.
  static constexpr int kBufferLimit = 50;

private:
  void openReporting();
  bool openQuietly();
  // Traces the first failure of a run of failures; a successful open ends the run.
  void failedQuietly(const SerialError& error);
  void opened();

  panel::MAINFRM& f_;
  form::EventLoop& loop_;
  form::Dialogs& dialogs_;
  SerialComponent& port_;
  PointerDispatch& dispatch_;
  std::optional<qint64> lastFailedOpen_;
  bool failing_ = false;
  // Text10 still holds its design-time text: the first input replaces it.
  bool designTextInBuffer_ = true;
  // A received message is being dispatched: poll ticks are skipped meanwhile.
  bool dispatching_ = false;
};

}  // namespace vornix::output
