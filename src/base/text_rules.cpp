#include "base/text_rules.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace vornix {

namespace {

bool isBlank(QChar c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Reads the leading number of a text, blanks skipped anywhere inside it, into the plain form
// "[-]digits[.digits]e<exp>" that from_chars understands (whatever the process locale is).
class LeadingNumber {
public:
  explicit LeadingNumber(QStringView text) : text_(text) {}

  double read() {
    skipBlanks();
    bool negative = false;
    if (at(u'+') || at(u'-')) {
      negative = text_[pos_] == u'-';
      ++pos_;
      skipBlanks();
    }
    std::string digits;
    long long pointShift = 0;  // decimal exponent contributed by the position of the point
    bool seenPoint = false;
    bool anyDigit = false;
    bool dropped = false;  // a non-zero digit beyond the kept ones
    while (pos_ < text_.size()) {
      const QChar c = text_[pos_];
      if (isAsciiDigit(c)) {
        anyDigit = true;
        if (!(digits.empty() && c == u'0')) {  // leading zeros carry no value
          if (digits.size() < kMaxDigits) {
            digits.push_back(static_cast<char>(c.unicode()));
            if (seenPoint) --pointShift;
          } else {
            if (!seenPoint) ++pointShift;  // digits beyond the kept ones only scale the number
            if (c != u'0') dropped = true;
          }
        } else if (seenPoint) {
          --pointShift;
        }
        ++pos_;
      } else if (c == u'.' && !seenPoint) {
        seenPoint = true;
        ++pos_;
      } else if (isBlank(c)) {
        ++pos_;
      } else {
        break;
      }
    }
    if (!anyDigit || digits.empty()) return negative ? -0.0 : 0.0;

    long long exponent = readExponent() + pointShift;
    if (dropped) {
      // The kept digits may end exactly halfway between two doubles; the digits dropped after
      // them put the number above that half, which one more digit says.
      digits.push_back('1');
      --exponent;
    }
    // Order of magnitude of the leading digit: beyond the range of a double either way.
    const long long magnitude = exponent + static_cast<long long>(digits.size()) - 1;
    double value;
    if (magnitude > 400) {
      value = std::numeric_limits<double>::infinity();
    } else if (magnitude < -400) {
      value = 0.0;
    } else {
      const std::string plain = digits + 'e' + std::to_string(exponent);
      const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
      if (result.ec == std::errc::result_out_of_range)
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
  }

private:
  // More than the 767 significant digits a halfway point between two doubles can have.
  static constexpr std::size_t kMaxDigits = 800;

  bool at(char16_t c) const { return pos_ < text_.size() && text_[pos_] == c; }

  void skipBlanks() {
    while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
  }

  // The exponent after e, E, d or D; 0 when none follows (the letter then ends the number).
  long long readExponent() {
    if (!(at(u'e') || at(u'E') || at(u'd') || at(u'D'))) return 0;
    const qsizetype start = pos_;
    ++pos_;
    skipBlanks();
    bool negative = false;
    if (at(u'+') || at(u'-')) {
      negative = text_[pos_] == u'-';
      ++pos_;
      skipBlanks();
    }
    long long exponent = 0;
    bool anyDigit = false;
    while (pos_ < text_.size() && (isAsciiDigit(text_[pos_]) || isBlank(text_[pos_]))) {
      if (isAsciiDigit(text_[pos_])) {
        anyDigit = true;
        if (exponent < 100000) exponent = exponent * 10 + (text_[pos_].unicode() - u'0');
      }
      ++pos_;
    }
    if (!anyDigit) {
      pos_ = start;
      return 0;
    }
    return negative ? -exponent : exponent;
  }

  QStringView text_;
  qsizetype pos_ = 0;
};

template <typename Int>
std::optional<Int> toInteger(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double rounded = roundHalfEven(value);
  if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max()))
    return std::nullopt;
  return static_cast<Int>(rounded);
}

template <typename Float>
QString shortestText(Float value) {
  if (value == 0) return QStringLiteral("0");
  char buffer[64];
  const Float magnitude = std::fabs(value);
  // Plain digits for the everyday range, an exponent ("1E+15") only for very large or very
  // small numbers, as the classic number printing did.
  const bool fixed = magnitude >= Float(1e-4) && magnitude < Float(1e15);
  const auto result = fixed ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
                            : std::to_chars(buffer, buffer + sizeof buffer, value);
  QString text = QString::fromLatin1(buffer, result.ptr - buffer);
  return text.replace(u'e', u'E');
}

// Writes a number as a pattern of `minIntegerDigits` zeros, a point and `decimals` zeros
// ("0000", "0.00"). The binary value is first read as 15 significant decimal digits; that
// decimal is then rounded half away from zero, so 0.125 gives 0.13 and 1.1 * 0.5 gives 0.55.
QString patternText(double value, int decimals, int minIntegerDigits) {
  if (!std::isfinite(value)) return decimalText(value);
  const bool negative = value < 0;
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
  const std::string sci(buffer, result.ptr);  // d.dddddddddddddde[+-]xx
  const std::size_t ePos = sci.find('e');
  std::string significant = sci.substr(0, 1) + sci.substr(2, ePos - 2);  // 15 digits
  const int exponent = std::stoi(sci.substr(ePos + 1));

  // digits of the result when the value is scaled by 10^decimals, as an integer
  const long long keep = static_cast<long long>(exponent) + 1 + decimals;
  std::string scaled;
  if (keep >= static_cast<long long>(significant.size())) {
    scaled = significant + std::string(keep - significant.size(), '0');
  } else if (keep >= 0) {
    scaled = significant.substr(0, keep);
    if (significant[keep] >= '5') {
      int i = static_cast<int>(scaled.size()) - 1;
      while (i >= 0 && scaled[i] == '9') scaled[i--] = '0';
      if (i >= 0)
        ++scaled[i];
      else
        scaled.insert(scaled.begin(), '1');
    }
  }
  if (value == 0) scaled.clear();
  const std::size_t minDigits = static_cast<std::size_t>(minIntegerDigits + decimals);
  if (scaled.size() < minDigits) scaled.insert(0, minDigits - scaled.size(), '0');
  if (decimals > 0) scaled.insert(scaled.size() - decimals, 1, '.');
  if (negative) scaled.insert(scaled.begin(), '-');
  return QString::fromLatin1(scaled.data(), static_cast<qsizetype>(scaled.size()));
}

}  // namespace

double numericValue(QStringView text) { return LeadingNumber(text).read(); }

double roundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  const double floor = std::floor(value);
  const double fraction = value - floor;  // exact for every double
  if (fraction < 0.5) return floor + 0.0;
  if (fraction > 0.5) return floor + 1.0;
  return std::fmod(floor, 2.0) == 0.0 ? floor + 0.0 : floor + 1.0;
}

std::optional<std::int16_t> toInt16(double value) { return toInteger<std::int16_t>(value); }
std::optional<std::int32_t> toInt32(double value) { return toInteger<std::int32_t>(value); }

QString decimalText(double value) { return shortestText(value); }
QString decimalTextSingle(float value) { return shortestText(value); }

QString fourDigitText(double value) { return patternText(value, 0, 4); }

QString positionMessage(double x, double y) {
  return QStringLiteral(":::MOUSEX=") + fourDigitText(x) + QStringLiteral(",Y=") + fourDigitText(y) +
         QLatin1Char('.');
}
QString threeDigitText(double value) { return patternText(value, 0, 3); }

QString fixedDecimalText(double value, int decimals) {
  return patternText(value, decimals < 0 ? 0 : decimals, 1);
}

}  // namespace vornix
