// The text and number rules on any text: the numeric value of a text never fails, a text that
// is one plain decimal number reads as strtod reads it, and each conversion of the value keeps
// its promise (half to even, range, shortest text that reads back as the same number).

#include "base/text_rules.h"
#include "fuzz_support.h"

#include <QRegularExpression>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

using namespace vornix;
using fuzz::expect;

namespace {

bool sameNumber(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return a == b && std::signbit(a) == std::signbit(b);
}

// One plain decimal number and nothing else: sign, digits with at most one point, an exponent
// written with e or E (or d or D, which strtod reads as e here).
const QRegularExpression& plainNumber() {
  static const QRegularExpression pattern(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eEdD][+-]?[0-9]+)?$"));
  return pattern;
}

void checkPlainNumber(const QString& text, double value) {
  if (!plainNumber().match(text).hasMatch()) return;
  QByteArray c = text.toLatin1();
  for (char& ch : c)
    if (ch == 'd' || ch == 'D') ch = 'e';
  const double expected = std::strtod(c.constData(), nullptr);
  expect(sameNumber(value, expected), "a plain decimal number reads as strtod reads it",
         fuzz::shown(text) + QStringLiteral(": %1, strtod %2").arg(value, 0, 'g', 17).arg(expected, 0, 'g', 17));
}

template <typename Int>
void checkInteger(double value, std::optional<Int> converted, const char* what) {
  if (!converted) {
    const double r = std::isfinite(value) ? roundHalfEven(value) : 0;
    expect(!std::isfinite(value) || r < std::numeric_limits<Int>::min() || r > std::numeric_limits<Int>::max(),
           what, QStringLiteral("refused %1").arg(value, 0, 'g', 17));
    return;
  }
  const double distance = std::fabs(double(*converted) - value);
  expect(distance < 0.5 || (distance == 0.5 && *converted % 2 == 0), what,
         QStringLiteral("%1 -> %2").arg(value, 0, 'g', 17).arg(*converted));
}

void checkConversions(double value) {
  checkInteger(value, toInt16(value), "16-bit integer: nearest, ties to even, or refused out of range");
  checkInteger(value, toInt32(value), "32-bit integer: nearest, ties to even, or refused out of range");
  if (!std::isfinite(value)) return;

  const QString decimal = decimalText(value);
  expect(!decimal.startsWith(u' ') && sameNumber(numericValue(decimal), value == 0 ? 0.0 : value),
         "the decimal text reads back as the same number",
         QStringLiteral("%1 -> ").arg(value, 0, 'g', 17) + fuzz::shown(decimal));
  const float single = float(value);
  if (std::isfinite(single)) {
    const QString singleText = decimalTextSingle(single);
    expect(float(numericValue(singleText)) == single, "the single-precision text reads back as the same number",
           QStringLiteral("%1 -> ").arg(double(single), 0, 'g', 9) + fuzz::shown(singleText));
  }

  if (std::fabs(value) >= 1e15) return;  // patterns are only ever given screen-sized numbers
  static const QRegularExpression fourDigits(QStringLiteral("^-?[0-9]{4,}$"));
  static const QRegularExpression oneDecimal(QStringLiteral("^-?[0-9]+\\.[0-9]$"));
  static const QRegularExpression twoDecimals(QStringLiteral("^-?[0-9]+\\.[0-9]{2}$"));
  // The patterns read the number to 15 significant digits first, then round half away from 0.
  const double slack = std::fabs(value) * 1e-14 + 1e-300;
  const auto near = [&](const QString& text, double within) {
    return std::fabs(numericValue(text) - value) <= within + slack;
  };
  const QString four = fourDigitText(value);
  expect(fourDigits.match(four).hasMatch() && near(four, 0.5), "four-digit text",
         QStringLiteral("%1 -> ").arg(value, 0, 'g', 17) + four);
  const QString tenths = fixedDecimalText(value, 1);
  expect(oneDecimal.match(tenths).hasMatch() && near(tenths, 0.05), "\"0.0\" text",
         QStringLiteral("%1 -> ").arg(value, 0, 'g', 17) + tenths);
  const QString hundredths = fixedDecimalText(value, 2);
  expect(twoDecimals.match(hundredths).hasMatch() && near(hundredths, 0.005), "\"0.00\" text",
         QStringLiteral("%1 -> ").arg(value, 0, 'g', 17) + hundredths);
}

}  // namespace

// The input is the text, read as UTF-8, or as UTF-16 code units after a leading FF FE. Its
// first eight bytes are also taken as a double, so the conversions see every kind of number.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const bool raw = bytes.starts_with("\xFF\xFE");
  const QString text = fuzz::textOf(raw ? bytes.substr(2) : bytes, raw);

  const double value = numericValue(text);
  checkPlainNumber(text, value);
  checkConversions(value);
  if (size >= sizeof(double)) {
    double number;
    std::memcpy(&number, data, sizeof number);
    checkConversions(number);
  }
  return 0;
}
