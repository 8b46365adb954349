// The INI reader and writer on any bytes as the file. On each input: a read, a write of one key
// and a read again must agree with what was written; the lines the write does not own keep
// their bytes and the program's other entries their values; a refused write leaves the file as
// it was.
//
// Input: the file's bytes, optionally followed by "\0\0\0" SECTION "\0" KEY "\0" VALUE (UTF-8);
// without them the entry written is one of the program's own, picked by the input's size.

#include "base/gbk.h"
#include "base/ini_file.h"
#include "configured_system.h"
#include "fuzz_support.h"

#include <QFile>

#include <optional>
#include <utility>
#include <vector>

using namespace vornix;
using fuzz::expect;
using fuzz::shown;

namespace {



// A value the file holds exactly as given: no control character, no blank at either end, every
// character in GBK, short enough for the 256-byte read buffer.
bool storedAsGiven(const QString& value) {
  for (QChar c : value)
    if (c.unicode() < 0x20) return false;
  if (value.startsWith(u' ') || value.endsWith(u' ') || value.size() > 256) return false;
  const QByteArray bytes = toGbk(value);
  return bytes.size() <= 255 && fromGbk(bytes) == value;
}

// The file's lines, each with its line break.
std::vector<QByteArray> linesOf(const QByteArray& bytes) {
  std::vector<QByteArray> lines;
  qsizetype start = 0;
  while (start < bytes.size()) {
    qsizetype end = bytes.indexOf('\n', start);
    end = end < 0 ? bytes.size() : end + 1;
    lines.push_back(bytes.mid(start, end - start));
    start = end;
  }
  return lines;
}

QByteArray withoutBreak(QByteArray line) {
  if (line.endsWith('\n')) line.chop(1);
  if (line.endsWith('\r')) line.chop(1);
  return line;
}

// One write changes one line or adds the key's line (and its section's header) and touches
// nothing else, but the line break a last line without one gets before a line added after it.
void expectOnlyTheEntryChanged(const QByteArray& before, const QByteArray& after, const fuzz::Entry& entry) {
  // A UTF-8 byte-order mark stays in front and is no line of the file.
  const QByteArray mark("\xEF\xBB\xBF");
  const bool utf8 = before.startsWith(mark);
  if (utf8) expect(after.startsWith(mark), "the byte-order mark stays");
  const std::vector<QByteArray> old = linesOf(before.mid(utf8 ? 3 : 0)), now = linesOf(after.mid(utf8 ? 3 : 0));
  std::size_t head = 0;
  while (head < old.size() && head < now.size() && old[head] == now[head]) ++head;
  std::size_t tail = 0;
  while (tail < old.size() - head && tail < now.size() - head &&
         old[old.size() - 1 - tail] == now[now.size() - 1 - tail])
    ++tail;
  std::vector<QByteArray> removed(old.begin() + head, old.end() - tail);
  std::vector<QByteArray> added(now.begin() + head, now.end() - tail);
  const QString detail = QStringLiteral("before: ") + shown(QString::fromLatin1(before)) +
                         QStringLiteral("\nafter:  ") + shown(QString::fromLatin1(after));

  // Names are written in the file's encoding: UTF-8 after a byte-order mark, else GBK.
  const auto encode = [utf8](const QString& name) { return utf8 ? name.toUtf8() : toGbk(name); };
  const QByteArray keyLine = encode(entry.key) + '=';
  if (removed.empty() && added.empty()) return;  // the value was already there
  if (removed.size() == 1 && added.size() == 1) {
    // The value of an existing key line: its name, "=" and line break stay.
    const QByteArray& was = removed[0];
    const QByteArray& is = added[0];
    const qsizetype equals = was.indexOf('=');
    expect(equals >= 0 && is.startsWith(was.left(equals + 1)) &&
               was.endsWith('\n') == is.endsWith('\n') && was.endsWith("\r\n") == is.endsWith("\r\n"),
           "a write changes only the value of the key's line", detail);
    return;
  }
  if (removed.size() == 1) {
    // The last line had no line break: it gets one, and the new lines follow it.
    const QByteArray gained = added.empty() ? QByteArray() : added[0].mid(removed[0].size());
    expect(!removed[0].endsWith('\n') && added[0].startsWith(removed[0]) && (gained == "\n" || gained == "\r\n"),
           "only a last line without a line break gets one", detail);
    added.erase(added.begin());
  } else {
    expect(removed.empty(), "a write removes no line", detail);
  }
  expect(!added.empty() && added.size() <= 2, "a write adds the key's line and at most its section's header", detail);
  if (added.size() == 2)
    expect(withoutBreak(added[0]) == '[' + encode(entry.section) + ']', "a new section's header", detail);
  expect(added.back().startsWith(keyLine), "a new key line starts with the key and \"=\"", detail);
}

fuzz::Entry pickEntry(const std::optional<QByteArray>& trailer, std::size_t size, QString& value) {
  const std::vector<fuzz::Entry>& own = fuzz::ownEntries();
  fuzz::Entry entry = own[size % own.size()];
  value = QStringLiteral("60");
  if (!trailer) return entry;
  const QList<QByteArray> fields = trailer->split('\0');
  if (!fields.value(0).isEmpty()) entry.section = QString::fromUtf8(fields[0]);
  if (fields.size() > 1 && !fields[1].isEmpty()) entry.key = QString::fromUtf8(fields[1]);
  if (fields.size() > 2) value = QString::fromUtf8(fields.mid(2).join('\0'));
  return entry;
}

void checkOneWrite(const QString& path, const QByteArray& fileBytes, const fuzz::Entry& entry, const QString& value) {
  std::vector<QString> ownBefore;
  for (const fuzz::Entry& own : fuzz::ownEntries()) ownBefore.push_back(ReadIniValue(path, own.section, own.key));
  ReadIniValue(path, entry.section, entry.key);

  const bool written(WriteIniValue(path, entry.section, entry.key, value));
  const QByteArray after = fuzz::readBytes(path);
  const QString what = shown(entry.section) + u'/' + shown(entry.key) + QStringLiteral(" = ") + shown(value);
  if (!written) {
    expect(after == fileBytes, "a refused write leaves the file as it was", what);
    for (const fuzz::Entry& own : fuzz::ownEntries())
      expect(!fuzz::sameEntry(own, entry), "the program's own entries can always be written", what);
    return;
  }
  const QString readBack = ReadIniValue(path, entry.section, entry.key);
  if (storedAsGiven(value))
    expect(readBack == value, "a read after a write gives what was written", what + QStringLiteral(", read ") + shown(readBack));
  for (std::size_t i = 0; i < fuzz::ownEntries().size(); ++i) {
    const fuzz::Entry& own = fuzz::ownEntries()[i];
    if (fuzz::sameEntry(own, entry)) continue;
    expect(ReadIniValue(path, own.section, own.key) == ownBefore[i], "a write leaves the other entries as they were",
           what + QStringLiteral(" changed ") + shown(own.section) + u'/' + shown(own.key));
  }
  expectOnlyTheEntryChanged(fileBytes, after, entry);

  if (storedAsGiven(readBack))
    expect(WriteIniValue(path, entry.section, entry.key, readBack) &&
               ReadIniValue(path, entry.section, entry.key) == readBack,
           "writing back what was read keeps it", what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  const qsizetype marker = input.indexOf(QByteArray("\0\0\0", 3));
  const QByteArray fileBytes = marker < 0 ? input : input.left(marker);
  std::optional<QByteArray> trailer;
  if (marker >= 0) trailer = input.mid(marker + 3);

  const QString path = fuzz::scratch().filePath(QStringLiteral("Vornix配置文件.ini"));
  fuzz::writeBytes(path, fileBytes);
  QString value;
  const fuzz::Entry entry = pickEntry(trailer, size, value);
  checkOneWrite(path, fileBytes, entry, value);

  return 0;
}
