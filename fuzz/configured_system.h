#pragma once
// A whole system on scripted ports whose configuration file a fuzz target chooses, the scratch
// folder the targets keep their files in, and the entries of the file the program owns.

#include "form/dialogs.h"
#include "doubles/recording_dialogs.h"
#include "doubles/recording_pointer.h"
#include "form/errors.h"
#include "doubles/scripted_loop.h"
#include "doubles/scripted_sockets.h"
#include "base/gbk.h"
#include "base/ini_file.h"
#include "fuzz_support.h"
#include "output/pointer.h"
#include "support/scripted_serial.h"
#include "system/system.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

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
  server::ScriptedSockets sockets;
  system::System system{[this] {
    system::Ports ports{loop, dialogs, pointer};
    ports.serial = &serial;
    ports.sockets = &sockets;
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

// An entry of the configuration file.
struct Entry {
  QString section, key;
};

// The entries the program owns: those a first save writes, and the TUIO target it reads.
inline const std::vector<Entry>& ownEntries() {
  static const std::vector<Entry> entries = [] {
    const QString file = scratch().filePath(QStringLiteral("first-save.ini"));
    ConfiguredSystem fresh(file);
    fresh.save(file);
    std::vector<Entry> found;
    QString section;
    for (const QByteArray& line : readBytes(file).split('\n')) {
      const QString text = fromGbk(line).trimmed();
      if (text.startsWith(u'['))
        section = text.mid(1, text.size() - 2);
      else if (text.contains(u'='))
        found.push_back({section, text.left(text.indexOf(u'='))});
    }
    found.push_back({QStringLiteral("TUIO"), QStringLiteral("目标")});
    if (found.size() != 29) fail("a first save writes 28 entries", QString::number(found.size() - 1));
    QFile::remove(file);
    return found;
  }();
  return entries;
}

inline bool sameEntry(const Entry& a, const Entry& b) {
  return a.section.compare(b.section, Qt::CaseInsensitive) == 0 && a.key.compare(b.key, Qt::CaseInsensitive) == 0;
}

}  // namespace vornix::fuzz
