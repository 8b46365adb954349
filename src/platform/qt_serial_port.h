#pragma once
// The serial component on a QSerialPort: 115200 baud, 8 data bits, no parity, one stop bit, no
// flow control. Port number N names /dev/ttyS{N-1} unless the command line maps it to another
// device (a USB adapter, a pty).

#include "output/serial_component.h"

#include <QMap>
#include <QSerialPort>

#include <optional>

namespace vornix::platform {

class QtSerialPort : public output::SerialComponent {
public:
  explicit QtSerialPort(QMap<int, QString> devices = {});

  bool portOpen() const override;
  void setPortOpen(bool open) override;
  int commPort() const override { return number_; }
  void setCommPort(int number) override;
  void output(const QString& text) override;
  QString input() override;
  void setInputWanted(bool wanted) override;

  // The device that port number N names.
  QString deviceOf(int number) const;

  // At most this much input waits for a reader; what comes beyond waits in the device.
  static constexpr qint64 kReadBufferBytes = 16 * 1024;

private:
  void deviceFailed(QSerialPort::SerialPortError error);
  void closeLostDevice();
  output::SerialError failure(QSerialPort::SerialPortError error, const QString& what) const;

  QSerialPort port_;
  QMap<int, QString> devices_;
  int number_ = 1;
  bool inputWanted_ = true;
  // The device failed while open: the port is closed, and onLost told, at the next turn of the
  // event loop (outside the port's own notification) or at the next open or close.
  std::optional<output::SerialError> lost_;
};

}  // namespace vornix::platform
