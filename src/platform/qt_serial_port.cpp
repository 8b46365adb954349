#include "platform/qt_serial_port.h"

#include <QMetaObject>

namespace vornix::platform {

QtSerialPort::QtSerialPort(QMap<int, QString> devices) : devices_(std::move(devices)) {
  port_.setBaudRate(QSerialPort::Baud115200);
  port_.setDataBits(QSerialPort::Data8);
  port_.setParity(QSerialPort::NoParity);
  port_.setStopBits(QSerialPort::OneStop);
  port_.setFlowControl(QSerialPort::NoFlowControl);
  port_.setReadBufferSize(kReadBufferBytes);
  QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                   [this](QSerialPort::SerialPortError error) { deviceFailed(error); });
  QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] {
    if (!inputWanted_) port_.skip(port_.bytesAvailable());
  });
}

QString QtSerialPort::deviceOf(int number) const {
  return devices_.value(number, QStringLiteral("/dev/ttyS") + QString::number(number - 1));
}

bool QtSerialPort::portOpen() const { return port_.isOpen() && !lost_; }

void QtSerialPort::setPortOpen(bool open) {
  closeLostDevice();
  if (!open) {
    port_.close();
    return;
  }
  if (port_.isOpen()) return;
  port_.setPortName(deviceOf(number_));
  if (!port_.open(QIODevice::ReadWrite)) throw failure(port_.error(), port_.errorString());
}

void QtSerialPort::setCommPort(int number) {
  if (number < 1)
    throw output::SerialError(QSerialPort::DeviceNotFoundError,
                              QStringLiteral("port number %1 names no device").arg(number));
  number_ = number;
}

void QtSerialPort::output(const QString& text) {
  if (!portOpen()) throw failure(QSerialPort::NotOpenError, QStringLiteral("the port is not open"));
  const QByteArray bytes = text.toLatin1();
  if (port_.write(bytes) != bytes.size()) throw failure(QSerialPort::WriteError, port_.errorString());
  // Hands the bytes to the device now rather than at the next turn of the event loop.
  port_.flush();
  if (lost_) throw *lost_;
}

QString QtSerialPort::input() {
  if (!portOpen()) throw failure(QSerialPort::NotOpenError, QStringLiteral("the port is not open"));
  return QString::fromLatin1(port_.readAll());
}

void QtSerialPort::setInputWanted(bool wanted) {
  inputWanted_ = wanted;
  if (!wanted && port_.isOpen()) port_.skip(port_.bytesAvailable());
}

void QtSerialPort::deviceFailed(QSerialPort::SerialPortError error) {
  // A hung-up or unplugged device reports read errors on every turn of the loop until closed.
  const bool gone = error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                    error == QSerialPort::WriteError;
  if (!gone || !port_.isOpen() || lost_) return;
  lost_.emplace(failure(error, QStringLiteral("device lost (%1), port closed").arg(port_.errorString())));
  QMetaObject::invokeMethod(&port_, [this] { closeLostDevice(); }, Qt::QueuedConnection);
}

void QtSerialPort::closeLostDevice() {
  if (!lost_) return;
  const output::SerialError lost = *lost_;
  lost_.reset();
  port_.close();
  port_.clearError();
  if (onLost) onLost(lost);
}

output::SerialError QtSerialPort::failure(QSerialPort::SerialPortError error, const QString& what) const {
  return output::SerialError(int(error), deviceOf(number_) + QStringLiteral(": ") + what);
}

}  // namespace vornix::platform
