#include "output/tuio_target.h"

namespace vornix::output {

QString TuioTarget::text() const {
  const QString shownHost = host.contains(u':') ? '[' + host + ']' : host;
  return shownHost + ':' + QString::number(port);
}

Result<TuioTarget, TuioTargetError> parseTuioTarget(const QString& text) {
  using Error = TuioTargetError;
  const auto fail = [](Error kind, const QString& why) { return Failure<Error>{kind, why}; };
  const QString trimmed = text.trimmed();
  TuioTarget target;
  QString port;
  if (trimmed.startsWith(u'[')) {
    const qsizetype close = trimmed.indexOf(u']');
    if (close < 0 || trimmed.mid(close + 1, 1) != u":")
      return fail(Error::UnclosedBrackets, QStringLiteral("expected [ADDRESS]:PORT"));
    target.host = trimmed.mid(1, close - 1);
    port = trimmed.mid(close + 2);
  } else {
    const qsizetype colons = trimmed.count(u':');
    if (colons > 1) return fail(Error::UnbracketedIpv6, QStringLiteral("an IPv6 address goes in brackets: [ADDRESS]:PORT"));
    const qsizetype colon = trimmed.indexOf(u':');
    if (colon >= 0) target.host = trimmed.left(colon);
    port = trimmed.mid(colon + 1);
  }
  if (target.host.isEmpty()) target.host = QString::fromLatin1(kDefaultTuioHost);
  if (target.host.contains(u' ')) return fail(Error::BlankInHost, QStringLiteral("the host holds a blank"));

  bool digitsOnly = !port.isEmpty();
  for (QChar c : port) digitsOnly = digitsOnly && c >= u'0' && c <= u'9';
  const uint number = digitsOnly ? port.toUInt() : 0;
  if (number < 1 || number > 65535) return fail(Error::BadPort, QStringLiteral("the port must be a number from 1 to 65535"));
  target.port = static_cast<quint16>(number);
  return target;
}

}  // namespace vornix::output
