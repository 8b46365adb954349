#include "base/text_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vornix;

namespace {
constexpr double kInf = std::numeric_limits<double>::infinity();
}

TEST(NumericValue, ReadsTheLeadingNumber) {
  EXPECT_EQ(numericValue(u"512"), 512);
  EXPECT_EQ(numericValue(u"12abc"), 12);
  EXPECT_EQ(numericValue(u"1.2.3"), 1.2);
  EXPECT_EQ(numericValue(u"0.1"), 0.1);
  EXPECT_EQ(numericValue(u".5"), 0.5);
  EXPECT_EQ(numericValue(u"123456789012345678901234567890"), 123456789012345678901234567890.0);
}

TEST(NumericValue, TextWithoutNumberReadsZero) {
  EXPECT_EQ(numericValue(u""), 0);
  EXPECT_EQ(numericValue(u"abc"), 0);
  EXPECT_EQ(numericValue(u"   "), 0);
  EXPECT_EQ(numericValue(u"-"), 0);
  EXPECT_EQ(numericValue(u"."), 0);
  EXPECT_EQ(numericValue(u"--5"), 0);
  EXPECT_EQ(numericValue(u"e5"), 0);
  EXPECT_EQ(numericValue(u"\uFF16\uFF10"), 0);  // full-width digits are no digits
}

TEST(NumericValue, SkipsBlanksAnywhereInsideTheNumber) {
  EXPECT_EQ(numericValue(u" 60 "), 60);
  EXPECT_EQ(numericValue(u"1 2"), 12);
  EXPECT_EQ(numericValue(u"\t\r\n7\r\n"), 7);
  EXPECT_EQ(numericValue(u"- 5"), -5);
  EXPECT_EQ(numericValue(u"1 . 5"), 1.5);
  EXPECT_EQ(numericValue(u"1 e 3"), 1000);
  EXPECT_EQ(numericValue(u"1 2 x 3"), 12);
}

TEST(NumericValue, Signs) {
  EXPECT_EQ(numericValue(u"-3"), -3);
  EXPECT_EQ(numericValue(u"+3"), 3);
  EXPECT_EQ(numericValue(u"-.5"), -0.5);
}

TEST(NumericValue, ExponentLetters) {
  EXPECT_EQ(numericValue(u"1e3"), 1000);
  EXPECT_EQ(numericValue(u"1d3"), 1000);
  EXPECT_EQ(numericValue(u"1D+3"), 1000);
  EXPECT_EQ(numericValue(u"25E-2"), 0.25);
  EXPECT_EQ(numericValue(u"2e"), 2);
  EXPECT_EQ(numericValue(u"2e+"), 2);
  EXPECT_EQ(numericValue(u"2ex"), 2);
}

TEST(NumericValue, HugeAndTinyNumbers) {
  EXPECT_EQ(numericValue(u"1e308"), 1e308);
  EXPECT_EQ(numericValue(u"1.8e308"), kInf);
  EXPECT_EQ(numericValue(u"1e400"), kInf);
  EXPECT_EQ(numericValue(u"-1e400"), -kInf);
  EXPECT_EQ(numericValue(u"1e99999999999999999999999"), kInf);
  EXPECT_EQ(numericValue(u"1e-400"), 0);
  EXPECT_EQ(numericValue(u"0.0001e-99999999999999999999"), 0);
  EXPECT_EQ(numericValue(QString(u'1') + QString(400, u'0')), kInf);
  EXPECT_EQ(numericValue(QString(u'1') + QString(400, u'0') + QStringLiteral("e-399")), 10);
  EXPECT_EQ(numericValue(QStringLiteral("0.") + QString(400, u'0') + QStringLiteral("1e401")), 1);
}

TEST(NumericValue, DigitsFarBeyondPrecisionStillBreakATie) {
  // Exactly halfway between 1 and the next double, then a 1 after 800 more digits: above the
  // half, so the number rounds up, as strtod reads it.
  const QString half = QStringLiteral("1.00000000000000011102230246251565404236316680908203125");
  EXPECT_EQ(numericValue(half), 1.0);
  EXPECT_EQ(numericValue(half + QString(800, u'0') + u'1'), std::nextafter(1.0, 2.0));
  EXPECT_EQ(numericValue(QStringLiteral("1") + QString(900, u'0') + QStringLiteral("e-900")), 1.0);
}

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
  EXPECT_EQ(roundHalfEven(12.5), 12);
  EXPECT_EQ(roundHalfEven(37.5), 38);
  EXPECT_EQ(roundHalfEven(2.5), 2);
  EXPECT_EQ(roundHalfEven(-2.5), -2);
  EXPECT_EQ(roundHalfEven(-3.5), -4);
  EXPECT_EQ(roundHalfEven(0.5), 0);
  EXPECT_EQ(roundHalfEven(1.5), 2);
}

TEST(RoundHalfEven, NonTies) {
  EXPECT_EQ(roundHalfEven(0.49999999999999994), 0);  // floor(x + 0.5) would give 1
  EXPECT_EQ(roundHalfEven(2.5000000000000004), 3);
  EXPECT_EQ(roundHalfEven(-2.6), -3);
  EXPECT_EQ(roundHalfEven(4503599627370497.0), 4503599627370497.0);
}

TEST(ToInt16, RangeLimits) {
  EXPECT_EQ(toInt16(32767), 32767);
  EXPECT_EQ(toInt16(32767.49), 32767);
  EXPECT_EQ(toInt16(32767.5), std::nullopt);
  EXPECT_EQ(toInt16(32768), std::nullopt);
  EXPECT_EQ(toInt16(-32768), -32768);
  EXPECT_EQ(toInt16(-32768.5), -32768);
  EXPECT_EQ(toInt16(-32768.51), std::nullopt);
  EXPECT_EQ(toInt16(-32769), std::nullopt);
}

TEST(ToInt16, NonFiniteFails) {
  EXPECT_EQ(toInt16(kInf), std::nullopt);
  EXPECT_EQ(toInt16(-kInf), std::nullopt);
  EXPECT_EQ(toInt16(std::nan("")), std::nullopt);
  EXPECT_EQ(toInt16(numericValue(u"1e400")), std::nullopt);
}

TEST(ToInt32, RangeLimits) {
  EXPECT_EQ(toInt32(2147483647.0), 2147483647);
  EXPECT_EQ(toInt32(2147483646.5), 2147483646);
  EXPECT_EQ(toInt32(2147483647.5), std::nullopt);
  EXPECT_EQ(toInt32(-2147483648.5), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(toInt32(-2147483649.0), std::nullopt);
  EXPECT_EQ(toInt32(1e10), std::nullopt);
  EXPECT_EQ(toInt32(40000), 40000);
  EXPECT_EQ(toInt32(kInf), std::nullopt);
  EXPECT_EQ(toInt32(std::nan("")), std::nullopt);
}

TEST(DecimalText, ShortestForm) {
  EXPECT_EQ(decimalText(512), "512");
  EXPECT_EQ(decimalText(-3), "-3");
  EXPECT_EQ(decimalText(12.5), "12.5");
  EXPECT_EQ(decimalText(0.1), "0.1");
  EXPECT_EQ(decimalText(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(decimalText(38.50000000000002), "38.50000000000002");
  EXPECT_EQ(decimalText(100000), "100000");
  EXPECT_EQ(decimalText(123456789012345), "123456789012345");
}

TEST(DecimalText, ZeroHasNoSign) {
  EXPECT_EQ(decimalText(0.0), "0");
  EXPECT_EQ(decimalText(-0.0), "0");
  EXPECT_EQ(decimalTextSingle(-0.0f), "0");
}

TEST(DecimalText, ExponentOnlyForVeryLargeOrSmall) {
  EXPECT_EQ(decimalText(1e15), "1E+15");
  EXPECT_EQ(decimalText(0.0001), "0.0001");
  EXPECT_EQ(decimalText(0.00001), "1E-05");
}

TEST(DecimalText, SinglePrecisionUsesItsOwnShortestForm) {
  EXPECT_EQ(decimalTextSingle(0.1f), "0.1");
  EXPECT_EQ(decimalTextSingle(320.5f), "320.5");
  EXPECT_EQ(decimalTextSingle(1.0f / 3.0f), "0.33333334");
}

TEST(DigitPatterns, PadsToFourOrThreeDigits) {
  EXPECT_EQ(fourDigitText(5), "0005");
  EXPECT_EQ(fourDigitText(512), "0512");
  EXPECT_EQ(fourDigitText(0), "0000");
  EXPECT_EQ(fourDigitText(9999), "9999");
  EXPECT_EQ(fourDigitText(12345), "12345");
  EXPECT_EQ(threeDigitText(7), "007");
  EXPECT_EQ(threeDigitText(1000), "1000");
}

TEST(DigitPatterns, SignInFrontOfPadding) {
  EXPECT_EQ(fourDigitText(-5), "-0005");
  EXPECT_EQ(fourDigitText(-12345), "-12345");
  EXPECT_EQ(threeDigitText(-7), "-007");
  EXPECT_EQ(fourDigitText(-0.0), "0000");
}

TEST(DigitPatterns, FractionsRoundHalfAwayFromZero) {
  EXPECT_EQ(fourDigitText(2.5), "0003");
  EXPECT_EQ(fourDigitText(-2.5), "-0003");
  EXPECT_EQ(fourDigitText(2.49), "0002");
  EXPECT_EQ(fourDigitText(9999.5), "10000");
}

TEST(FixedDecimalText, TiesAwayFromZeroAsTheDecimalReads) {
  EXPECT_EQ(fixedDecimalText(0.125, 2), "0.13");
  EXPECT_EQ(fixedDecimalText(1.1 * 0.5, 2), "0.55");
  EXPECT_EQ(fixedDecimalText(1.005, 2), "1.01");  // 1.00499999999999989... in binary
  EXPECT_EQ(fixedDecimalText(2.675, 2), "2.68");
  EXPECT_EQ(fixedDecimalText(0.05, 1), "0.1");
  EXPECT_EQ(fixedDecimalText(0.0049, 2), "0.00");
  EXPECT_EQ(fixedDecimalText(0.005, 2), "0.01");
  EXPECT_EQ(fixedDecimalText(-0.005, 2), "-0.01");
}

TEST(FixedDecimalText, CarriesIntoTheIntegerPart) {
  EXPECT_EQ(fixedDecimalText(0.995, 2), "1.00");
  EXPECT_EQ(fixedDecimalText(9.995, 2), "10.00");
  EXPECT_EQ(fixedDecimalText(99.96, 1), "100.0");
}

TEST(FixedDecimalText, SignsAndZero) {
  EXPECT_EQ(fixedDecimalText(-0.2, 2), "-0.20");
  EXPECT_EQ(fixedDecimalText(-0.001, 2), "-0.00");
  EXPECT_EQ(fixedDecimalText(0, 2), "0.00");
  EXPECT_EQ(fixedDecimalText(-0.0, 2), "0.00");
  EXPECT_EQ(fixedDecimalText(0, 1), "0.0");
}

TEST(FixedDecimalText, PadsAndKeepsDigits) {
  EXPECT_EQ(fixedDecimalText(1.5, 1), "1.5");
  EXPECT_EQ(fixedDecimalText(2, 2), "2.00");
  EXPECT_EQ(fixedDecimalText(123.456, 1), "123.5");
  EXPECT_EQ(fixedDecimalText(1e20, 2), "100000000000000000000.00");
}

TEST(RedComponent, ModuloKeepsAFailedRead) {
  EXPECT_EQ(redComponent(0x00102030), 0x30);
  EXPECT_EQ(redComponent(-1), -1);
}
