#include "base/ini_file.h"

#include "base/gbk.h"
#include "base/trace.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include <unistd.h>

namespace vornix {

namespace {

constexpr qsizetype kReadBufferBytes = 256;      // including its NUL
constexpr qsizetype kWriteBufferCharacters = 256;  // the value with its NUL, cut without it
constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

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

// A file's lines and the encoding of its names and values: GBK, or UTF-8 when the file starts
// with a UTF-8 byte-order mark, as an editor may save a hand-edited file. The mark is kept.
struct Document {
  bool utf8 = false;
  std::vector<Line> lines;

  explicit Document(QByteArrayView bytes) {
    utf8 = bytes.startsWith(kUtf8ByteOrderMark);
    lines = splitLines(utf8 ? bytes.sliced(3).toByteArray() : bytes.toByteArray());
  }
  QString decode(QByteArrayView bytes) const { return utf8 ? QString::fromUtf8(bytes) : fromGbk(bytes); }
  QByteArray encode(const QString& text) const { return utf8 ? text.toUtf8() : toGbk(text); }
  QByteArray bytes() const {
    QByteArray out = utf8 ? QByteArray(kUtf8ByteOrderMark) : QByteArray();
    for (const Line& line : lines) out += line.content + line.ending;
    return out;
  }
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArrayView trimBlanks(QByteArrayView bytes) {
  qsizetype begin = 0;
  qsizetype end = bytes.size();
  while (begin < end && isBlank(bytes[begin])) ++begin;
  while (end > begin && isBlank(bytes[end - 1])) --end;
  return bytes.sliced(begin, end - begin);
}

bool sameName(const Document& document, QByteArrayView stored, const QString& name) {
  return QString::compare(document.decode(stored), name, Qt::CaseInsensitive) == 0;
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

Place locate(const Document& document, const QString& section, const QString& key) {
  const std::vector<Line>& lines = document.lines;
  Place place;
  bool inSection = false;
  bool firstOccurrence = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (const auto name = sectionName(lines[i])) {
      inSection = sameName(document, *name, section);
      firstOccurrence = inSection && !place.sectionEnd;
      if (firstOccurrence) place.sectionEnd = i;
      continue;
    }
    if (!inSection) continue;
    const auto equals = keySeparator(lines[i]);
    if (!equals) continue;
    if (firstOccurrence) place.sectionEnd = i;
    if (sameName(document, trimBlanks(QByteArrayView(lines[i].content).first(*equals)), key)) {
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

IniWriteResult fail(const QString& file, const QString& reason) {
  trace("error", QStringLiteral("config write %1: %2").arg(file, reason));
  return {reason.isEmpty() ? QStringLiteral("unknown error") : reason};
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

// Whether what was written reached the disk; a file system that cannot synchronise a file
// (EINVAL) has nothing more to do.
bool syncedToDisk(int fd) { return ::fdatasync(fd) == 0 || errno == EINVAL; }

QString writeFailure(qint64 written, qsizetype wanted) {
  const QString reason = QString::fromLocal8Bit(std::strerror(errno));
  if (written >= 0 && written < wanted)
    return QStringLiteral("only %1 of %2 bytes could be written (%3)").arg(written).arg(wanted).arg(reason);
  return reason;
}

// The new text goes to a temporary file beside the old one, which it replaces only once every
// byte of it is on the disk.
bool replaceThroughTemporary(QSaveFile& save, const QByteArray& text, QString& error) {
  const qint64 written = save.write(text);
  if (written != text.size() || !syncedToDisk(save.handle())) {
    error = writeFailure(written, text.size());
    save.cancelWriting();  // the temporary file goes when `save` does
    return false;
  }
  if (!save.commit()) {
    error = save.errorString();
    return false;
  }
  return true;
}

// For a writable file in a folder that takes no temporary file (the program's folder under
// /usr/local or /opt, with only the file handed to the operator): the file is rewritten where
// it stands, and its old bytes, which fit where they stood, are put back when the new text
// does not fit.
bool rewriteInPlace(const QString& file, const QByteArray& text, const QByteArray& previous, QString& error) {
  QFile out(file);
  if (!out.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
    error = out.errorString();
    return false;
  }
  const qint64 written = out.write(text);
  if (written == text.size() && out.resize(text.size()) && syncedToDisk(out.handle())) return true;
  error = writeFailure(written, text.size());
  if (!out.seek(0) || out.write(previous) != previous.size() || !out.resize(previous.size()) ||
      !syncedToDisk(out.handle()))
    error += QStringLiteral("; the old contents could not be put back");
  return false;
}

// Stores the whole text so that a failure at any point leaves the old file as it was.
IniWriteResult store(const QString& file, const QByteArray& text, const QByteArray& previous, bool existed) {
  QString error;
  QSaveFile save(file);
  if (save.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    if (replaceThroughTemporary(save, text, error)) return {};
  } else if (existed) {
    if (rewriteInPlace(file, text, previous, error)) return {};
  } else {
    error = save.errorString();
  }
  return fail(file, error);
}

}  // namespace

QString ReadIniValue(const QString& file, const QString& section, const QString& key) {
  QByteArray bytes;
  if (!readFile(file, bytes, nullptr)) return {};
  const Document document(bytes);
  const Place place = locate(document, section, key);
  if (!place.keyLine) return {};
  const Line& line = document.lines[*place.keyLine];
  QByteArrayView value = trimBlanks(QByteArrayView(line.content).sliced(*keySeparator(line) + 1));
  const qsizetype nul = value.indexOf('\0');
  if (nul >= 0) value = value.first(nul);
  // The value as the 256-byte buffer of the system function holds it, in the ANSI code page.
  const QByteArray ansi = document.utf8 ? toGbk(QString::fromUtf8(value)) : value.toByteArray();
  return fromGbk(trimBlanks(QByteArrayView(ansi).first(gbkPrefixLength(ansi, kReadBufferBytes - 1))));
}

// New files are written with CRLF line breaks, as the system profile functions write them, so
// a first save gives "[section]\r\nkey=value\r\n". An existing file keeps the line break style
// of its first line; a key that already exists keeps its spelling and the blanks around "=".
// A new key follows the last key line of its section (blank lines and comments after it stay
// after it), a new section goes to the end of the file without a blank line before it.
IniWriteResult WriteIniValue(const QString& file, const QString& section, const QString& key, const QString& value) {
  if (!storableName(section, false) || !storableName(key, true))
    return fail(file, QStringLiteral("section or key name cannot be stored"));

  QByteArray bytes;
  const bool existed = QFile::exists(file);
  if (existed) {
    QString error;
    if (!readFile(file, bytes, &error)) return fail(file, error);
  }
  Document document(bytes);
  std::vector<Line>& lines = document.lines;
  QByteArray ending = "\r\n";
  if (!lines.empty() && lines.front().ending.endsWith('\n')) ending = lines.front().ending;

  const QByteArray valueBytes = document.encode(storedValue(value));
  const Place place = locate(document, section, key);
  if (place.keyLine) {
    Line& line = lines[*place.keyLine];
    qsizetype valueStart = *keySeparator(line) + 1;
    while (valueStart < line.content.size() && isBlank(line.content[valueStart])) ++valueStart;
    line.content = line.content.left(valueStart) + valueBytes;
  } else {
    const Line keyLine{document.encode(key) + '=' + valueBytes, ending};
    std::size_t insertAt = lines.size();
    if (place.sectionEnd) {
      insertAt = *place.sectionEnd + 1;
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), keyLine);
    } else {
      lines.push_back({'[' + document.encode(section) + ']', ending});
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
  return store(file, document.bytes(), bytes, existed);
}

}  // namespace vornix
