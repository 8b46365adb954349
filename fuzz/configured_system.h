#pragma once
// A whole system on scripted ports whose configuration file a fuzz target chooses, and the
// scratch folder the targets keep their files in.

#include "form/dialogs.h"
#include "form/errors.h"
#include "form/scripted_loop.h"
#include "fuzz_support.h"
#include "output/pointer.h"
#include "support/scripted_serial.h"
#include "system/system.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace vornix::fuzz {

inline QByteArray readBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
    fail("cannot write the input file", path);
}

// The program on scripted ports; load and save run as the buttons run them.
struct ConfiguredSystem {
  explicit ConfiguredSystem(const QString& file) { system.ports.configFile = file; }
  form::ScriptedLoop loop;
  form::RecordingDialogs dialogs;
  output::RecordingPointer pointerEvents;
  output::PointerOutput pointer{pointerEvents};
  testing::ScriptedSerial serial;
  system::System system{[this] {
    system::Ports ports{loop, dialogs, pointer};
    ports.serial = &serial;
    return ports;
  }()};
  void load(const QString& file) {
    system.ports.configFile = file;
    form::runEvent("Command5_Click", [this] { system.configuration.Command5_Click(); });
  }
  void save(const QString& file) {
    system.ports.configFile = file;
    form::runEvent("Command4_Click", [this] { system.configuration.Command4_Click(); });
  }
};

inline const QTemporaryDir& scratch() {
  static const QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vornix-fuzz-XXXXXX"));
  if (!dir.isValid()) fail("no scratch folder");
  return dir;
}

}  // namespace vornix::fuzz
