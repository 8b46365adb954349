#pragma once
// The serial line as the relay uses it: whether the port is open, its number, writing a text
// and taking all pending input. The program's component is a QSerialPort (src/platform); tests
// script one.

#include "form/errors.h"

#include <QString>

#include <functional>

namespace vornix::output {

// A failure of the serial component: its error number and a description naming the device.
class SerialError : public form::HandlerError {
public:
  SerialError(int number, const QString& description)
      : HandlerError(description.toStdString()), number_(number), description_(description) {}
  int number() const { return number_; }
  const QString& description() const { return description_; }

private:
  int number_;
  QString description_;
};

class SerialComponent {
public:
  virtual ~SerialComponent() = default;

  virtual bool portOpen() const = 0;
  // Opens (nothing when already open) or closes the port; a failed open raises SerialError
  // and leaves the port closed.
  virtual void setPortOpen(bool open) = 0;

  // The port number, taken by the next open; a number that names no device raises SerialError.
  virtual int commPort() const = 0;
  virtual void setCommPort(int number) = 0;

  // Writes the whole text to the line; raises SerialError when the port is closed or the write
  // fails.
  virtual void output(const QString& text) = 0;
  // All input that arrived since the last call, one character per byte; empty when nothing
  // arrived. Raises SerialError when the port is closed.
  virtual QString input() = 0;
  // Whether anyone takes the input. While not, whatever arrives is read and dropped, so a line
  // that nobody reads costs no memory. Holds across closes and opens.
  virtual void setInputWanted(bool wanted) = 0;

  // Called when the device disappears while the port is open (a USB adapter pulled out); the
  // port is closed by then and opens again once the device is back.
  std::function<void(const SerialError&)> onLost;
};

// The component of a system that has no serial line: every open fails.
class NoSerialLine : public SerialComponent {
public:
  bool portOpen() const override { return false; }
  void setPortOpen(bool open) override;
  int commPort() const override { return number_; }
  void setCommPort(int number) override { number_ = number; }
  void output(const QString&) override;
  QString input() override;
  void setInputWanted(bool) override {}

private:
  int number_ = 1;
};

}  // namespace vornix::output
