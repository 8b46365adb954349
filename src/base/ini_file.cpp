#include "base/ini_file.h"

#include "base/gbk.h"
#include "base/trace.h"

#include <QFile>
#include <QSaveFile>

#include <optional>
#include <vector>

namespace vornix {

namespace {

constexpr qsizetype kReadBufferBytes = 256;      // including its NUL
constexpr qsizetype kWriteBufferCharacters = 256;  // the value with its NUL, cut without it

// One line of the file as it stands on disk: its text and the line break that ended it
// ("\r\n", "\n", or for the last line "\r" or nothing).
struct Line {
  QByteArray content;
  QByteArray ending;
};

std::vector<Line> splitLines(const QByteArray& bytes) {
  std::vector<Line> lines;
  qsizetype start = 0;
  while (start < bytes.size()) {
    const qsizetype newline = bytes.indexOf('\n', start);
    if (newline < 0) {
      // A file cut right after the CR of a CR LF still ends its last line there.
      const bool cr = bytes.endsWith('\r');
      lines.push_back({bytes.mid(start, bytes.size() - start - (cr ? 1 : 0)), cr ? QByteArray("\r") : QByteArray()});
      break;
    }
    qsizetype end = newline;
    if (end > start && bytes[end - 1] == '\r') --end;
    lines.push_back({bytes.mid(start, end - start), bytes.mid(end, newline + 1 - end)});
    start = newline + 1;
  }
  return lines;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArrayView trimBlanks(QByteArrayView bytes) {
  qsizetype begin = 0;
  qsizetype end = bytes.size();
  while (begin < end && isBlank(bytes[begin])) ++begin;
  while (end > begin && isBlank(bytes[end - 1])) --end;
  return bytes.sliced(begin, end - begin);
}

bool sameName(QByteArrayView stored, const QString& name) {
  return QString::compare(fromGbk(stored), name, Qt::CaseInsensitive) == 0;
}

// The name of a "[section]" line, or nothing for any other line.
std::optional<QByteArrayView> sectionName(const Line& line) {
  const QByteArrayView text = trimBlanks(line.content);
  if (!text.startsWith('[')) return std::nullopt;
  qsizetype close = text.indexOf(']');
  if (close < 0) close = text.size();
  return trimBlanks(text.sliced(1, close - 1));
}

// The position of '=' in a key line; comments (";...") and lines without '=' are no keys.
std::optional<qsizetype> keySeparator(const Line& line) {
  const QByteArrayView text = trimBlanks(line.content);
  if (text.isEmpty() || text.startsWith(';')) return std::nullopt;
  const qsizetype equals = line.content.indexOf('=');
  if (equals < 0) return std::nullopt;
  return equals;
}

// Where a key stands in the file: its line, or else the line after which it is to be added.
struct Place {
  std::optional<std::size_t> keyLine;
  std::optional<std::size_t> sectionEnd;  // header or last key line of the section's first occurrence
};

Place locate(const std::vector<Line>& lines, const QString& section, const QString& key) {
  Place place;
  bool inSection = false;
  bool firstOccurrence = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (const auto name = sectionName(lines[i])) {
      inSection = sameName(*name, section);
      firstOccurrence = inSection && !place.sectionEnd;
      if (firstOccurrence) place.sectionEnd = i;
      continue;
    }
    if (!inSection) continue;
    const auto equals = keySeparator(lines[i]);
    if (!equals) continue;
    if (firstOccurrence) place.sectionEnd = i;
    if (sameName(trimBlanks(QByteArrayView(lines[i].content).first(*equals)), key)) {
      place.keyLine = i;
      return place;
    }
  }
  return place;
}

bool readFile(const QString& file, QByteArray& bytes, QString* error) {
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) {
    if (error) *error = in.errorString();
    return false;
  }
  bytes = in.readAll();
  if (in.error() != QFileDevice::NoError) {
    if (error) *error = in.errorString();
    return false;
  }
  return true;
}

bool fail(const QString& file, const QString& reason) {
  trace("error", QStringLiteral("config write %1: %2").arg(file, reason));
  return false;
}

// The value as the write buffer passes it on: cut to the buffer, and at a line break, which
// the file could not hold inside one value.
QString storedValue(const QString& value) {
  QString text = value.left(kWriteBufferCharacters);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\0' || c == u'\r' || c == u'\n') return text.left(i);
  }
  return text;
}

// A name the file can hold so that a read finds it again: GBK has every character, no blank
// at either end (the reader trims them), no line break, and nothing that would make the line
// another thing (a "]" ending a section name early, a key line read as a section header or
// a comment, an "=" inside a key).
bool storableName(const QString& name, bool isKey) {
  if (name.isEmpty() || isBlank(name.front().toLatin1()) || isBlank(name.back().toLatin1())) return false;
  for (const QChar c : name)
    if (c == u'\0' || c == u'\r' || c == u'\n' || c == (isKey ? u'=' : u']')) return false;
  if (isKey && (name.front() == u'[' || name.front() == u';')) return false;
  return fromGbk(toGbk(name)) == name;
}

}  // namespace

QString ReadIniValue(const QString& file, const QString& section, const QString& key) {
  QByteArray bytes;
  if (!readFile(file, bytes, nullptr)) return {};
  const std::vector<Line> lines = splitLines(bytes);
  const Place place = locate(lines, section, key);
  if (!place.keyLine) return {};
  const Line& line = lines[*place.keyLine];
  QByteArrayView value = trimBlanks(QByteArrayView(line.content).sliced(*keySeparator(line) + 1));
  const qsizetype nul = value.indexOf('\0');
  if (nul >= 0) value = value.first(nul);
  value = trimBlanks(value.first(gbkPrefixLength(value, kReadBufferBytes - 1)));
  return fromGbk(value);
}

// New files are written with CRLF line breaks, as the system profile functions write them, so
// a first save gives "[section]\r\nkey=value\r\n". An existing file keeps the line break style
// of its first line; a key that already exists keeps its spelling and the blanks around "=".
// A new key follows the last key line of its section (blank lines and comments after it stay
// after it), a new section goes to the end of the file without a blank line before it.
bool WriteIniValue(const QString& file, const QString& section, const QString& key, const QString& value) {
  if (!storableName(section, false) || !storableName(key, true))
    return fail(file, QStringLiteral("section or key name cannot be stored"));

  QByteArray bytes;
  if (QFile::exists(file)) {
    QString error;
    if (!readFile(file, bytes, &error)) return fail(file, error);
  }
  std::vector<Line> lines = splitLines(bytes);
  QByteArray ending = "\r\n";
  if (!lines.empty() && lines.front().ending.endsWith('\n')) ending = lines.front().ending;

  const QByteArray valueBytes = toGbk(storedValue(value));
  const Place place = locate(lines, section, key);
  if (place.keyLine) {
    Line& line = lines[*place.keyLine];
    qsizetype valueStart = *keySeparator(line) + 1;
    while (valueStart < line.content.size() && isBlank(line.content[valueStart])) ++valueStart;
    line.content = line.content.left(valueStart) + valueBytes;
  } else {
    const Line keyLine{toGbk(key) + '=' + valueBytes, ending};
    std::size_t insertAt = lines.size();
    if (place.sectionEnd) {
      insertAt = *place.sectionEnd + 1;
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), keyLine);
    } else {
      lines.push_back({'[' + toGbk(section) + ']', ending});
      lines.push_back(keyLine);
      insertAt = lines.size() - 2;
    }
    // The line before the new ones ends with a whole line break.
    if (insertAt > 0) {
      QByteArray& before = lines[insertAt - 1].ending;
      if (before.isEmpty()) before = ending;
      if (before == "\r") before += '\n';
    }
  }

  QByteArray out;
  out.reserve(bytes.size() + valueBytes.size() + 64);
  for (const Line& line : lines) out += line.content + line.ending;

  QSaveFile save(file);
  if (!save.open(QIODevice::WriteOnly)) return fail(file, save.errorString());
  if (save.write(out) != out.size()) {
    const QString error = save.errorString();
    save.cancelWriting();
    return fail(file, error);
  }
  if (!save.commit()) return fail(file, save.errorString());
  return true;
}

}  // namespace vornix
