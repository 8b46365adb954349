// The configuration load on any bytes as the file: every step and every handler it runs (the
// serial switch and port, the server window, the mode) takes whatever the file holds without
// failing, and loading a file the program saved changes nothing: a save of what was loaded,
// loaded and saved again, holds the same values.

#include "base/ini_file.h"
#include "configured_system.h"
#include "fuzz_support.h"

using namespace vornix;
using fuzz::expect;
using fuzz::shown;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QTemporaryDir& scratch = fuzz::scratch();
  const QString path = scratch.filePath(QStringLiteral("Vornix配置文件.ini"));
  const QString first = scratch.filePath(QStringLiteral("saved-1.ini"));
  const QString second = scratch.filePath(QStringLiteral("saved-2.ini"));
  fuzz::writeBytes(path, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
  QFile::remove(first);
  QFile::remove(second);

  fuzz::ConfiguredSystem running(path);
  running.load(path);
  running.save(first);
  running.load(first);
  running.save(second);
  expect(!fuzz::readBytes(first).isEmpty(), "the save writes the file");
  for (const fuzz::Entry& entry : fuzz::ownEntries()) {
    const QString once = ReadIniValue(first, entry.section, entry.key);
    const QString twice = ReadIniValue(second, entry.section, entry.key);
    expect(once == twice, "loading a saved file changes nothing that a save shows",
           entry.section + u'/' + entry.key + QStringLiteral(": ") + shown(once) + QStringLiteral(", then ") + shown(twice));
  }
  return 0;
}
