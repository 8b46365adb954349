#pragma once
// The configuration file: a profile (INI) file of "[section]" headers and "key=value" lines in
// GBK, read and written one value at a time with the semantics of the system profile functions.
// A file that starts with a UTF-8 byte-order mark holds UTF-8 text and keeps it.

#include <QString>

namespace vornix {

// The stored value, "" when the file, the section or the key is absent. Section and key names
// match without regard to letter case; the value comes without surrounding blanks and at most
// 255 GBK bytes long, as a 256-byte buffer with its NUL holds it.
QString ReadIniValue(const QString& file, const QString& section, const QString& key);

// Writes one value, creating the file, the section or the key as needed; a value longer than
// 256 characters is cut to its first 256, and at a line break. Every line other than the one
// written keeps its bytes. A failure never leaves the file shorter or other than it was: the
// new text replaces the file only once it is wholly on the disk (in place, when the folder
// takes no temporary file). A failure, with an `error` trace line, when the file cannot be
// written or the names cannot be stored.
struct IniWriteResult {
  QString failure;  // empty when the value is on the disk, else the reason for the operator
  bool ok() const { return failure.isEmpty(); }
  explicit operator bool() const { return ok(); }
};
IniWriteResult WriteIniValue(const QString& file, const QString& section, const QString& key, const QString& value);

}  // namespace vornix
