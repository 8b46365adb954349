#pragma once
// The text and number rules every part of the system shares: how a text reads as a number,
// how numbers become 16/32-bit integers, and how numbers are written back as text.

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace vornix {

// Numeric value of a text: the number formed by its leading characters. Blanks (space, tab,
// CR, LF) are skipped anywhere inside the leading number ("1 2" reads 12), an optional sign,
// ASCII digits, one decimal point, an exponent written e, E, d or D. A text that does not start
// with a number reads 0 ("" -> 0, "12abc" -> 12, "abc" -> 0). May return inf for huge exponents.
double numericValue(QStringView text);

// Round to the nearest integer, ties to the even neighbour (12.5 -> 12, 37.5 -> 38).
double roundHalfEven(double value);

// 16-bit / 32-bit integer of a number, rounded half to even; empty outside the range or when
// the value is not finite. The caller must check.
std::optional<std::int16_t> toInt16(double value);
std::optional<std::int32_t> toInt32(double value);

// Decimal text: shortest form, no leading blank (512, -3, 12.5). -0 is written "0".
QString decimalText(double value);
// The same for a single-precision number (pointer positions over the picture panes).
QString decimalTextSingle(float value);

// Zero-padded to at least four (three) digits, the minus sign in front of the padding:
// 5 -> "0005", 12345 -> "12345", -5 -> "-0005". Fractions round half away from zero.
QString fourDigitText(double value);
QString threeDigitText(double value);

// The position message of a point, as the serial line carries it and the hand-over fields take
// it: ":::MOUSEX=0512,Y=0384." (four-digit texts, no terminator).
QString positionMessage(double x, double y);

// The fixed-decimal patterns "0.00" (decimals = 2) and "0.0" (decimals = 1): ties away from
// zero, a small negative keeps its sign (-0.2 -> "-0.20", -0.001 -> "-0.00").
QString fixedDecimalText(double value, int decimals);

// Red component of a colour value 0x00BBGGRR as the pixel read returns it: the value modulo
// 256, so a failed read (-1) stays -1.
constexpr int redComponent(std::int64_t colourValue) { return static_cast<int>(colourValue % 256); }

}  // namespace vornix
