#pragma once
// Text exchanged with the system (the configuration file, socket payloads) is GBK, the ANSI
// code page of the installations this program runs beside.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace vornix {

// GBK bytes of a text; a character GBK cannot hold becomes '?', as the system conversion does.
QByteArray toGbk(QStringView text);

// Text of GBK bytes; a byte that starts no valid sequence becomes U+FFFD and decoding goes on
// with the next byte, so one bad byte never swallows its neighbours.
QString fromGbk(QByteArrayView bytes);

// Length of the longest prefix of `bytes` of at most `maxBytes` bytes that does not end in the
// middle of a double-byte character.
qsizetype gbkPrefixLength(QByteArrayView bytes, qsizetype maxBytes);

}  // namespace vornix
