#pragma once
// A serial component whose line the test scripts: each queued chunk is what one read brings,
// every write is kept, and opens fail while the test says so.

#include "output/serial_component.h"

#include <QStringList>

#include <deque>

namespace vornix::testing {

class ScriptedSerial : public output::SerialComponent {
public:
  std::deque<QString> chunks;  // one per read
  QStringList written;
  bool openFails = false;
  int attempts = 0;  // opens asked of a closed port
  int opens = 0;     // and those that succeeded
  bool inputWanted = true;

  bool portOpen() const override { return open_; }
  void setPortOpen(bool open) override {
    if (!open) {
      open_ = false;
      return;
    }
    if (open_) return;
    ++attempts;
    if (openFails) throw output::SerialError(1, device() + ": No such file or directory");
    open_ = true;
    ++opens;
  }
  int commPort() const override { return number_; }
  void setCommPort(int number) override { number_ = number; }
  void output(const QString& text) override {
    if (!open_) throw output::SerialError(13, device() + ": the port is not open");
    written << text;
  }
  QString input() override {
    if (!open_) throw output::SerialError(13, device() + ": the port is not open");
    if (chunks.empty()) return {};
    QString chunk = chunks.front();
    chunks.pop_front();
    return chunk;
  }
  void setInputWanted(bool wanted) override { inputWanted = wanted; }

  // The device disappears while open.
  void pullOut() {
    openFails = true;
    if (!open_) return;
    open_ = false;
    if (onLost) onLost(output::SerialError(9, device() + ": Device disappeared from the system"));
  }

  QString device() const { return "COM" + QString::number(number_); }

private:
  bool open_ = false;
  int number_ = 1;
};

}  // namespace vornix::testing
