#pragma once
// What every fuzz target shares: a failed expectation aborts with both sides printed, so
// libFuzzer keeps the input that broke it.

#include <fuzzer/FuzzedDataProvider.h>

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace vornix::fuzz {

[[noreturn]] inline void fail(const char* what, const QString& detail = {}) {
  std::fprintf(stderr, "fuzz expectation failed: %s\n%s\n", what, qPrintable(detail));
  std::abort();
}

inline void expect(bool holds, const char* what, const QString& detail = {}) {
  if (!holds) fail(what, detail);
}

// Text from the fuzzer's bytes, as UTF-8 (invalid sequences become U+FFFD) or, when `raw`, as
// UTF-16 code units (lone surrogates and all).
inline QString textOf(const std::string& bytes, bool raw) {
  if (!raw) return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
  QString text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    text += QChar(char16_t(std::uint8_t(bytes[i]) | std::uint8_t(bytes[i + 1]) << 8));
  return text;
}

// Quotes a text for a failure message, control characters escaped.
inline QString shown(const QString& text) {
  QString out(QChar(u'"'));
  for (QChar c : text) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F)
      out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    else
      out += c;
  }
  return out + u'"';
}

}  // namespace vornix::fuzz
