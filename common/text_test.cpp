#include "common/text.h"

#include <gtest/gtest.h>

TEST(NumberToText, WritesTheConsoleNumberForm) {
  EXPECT_EQ(NumberToText(40.5), " 40.5");
  EXPECT_EQ(NumberToText(-105.25), "-105.25");
  EXPECT_EQ(NumberToText(0.5), " .5");
  EXPECT_EQ(NumberToText(-0.25), "-.25");
  EXPECT_EQ(NumberToText(0), " 0");
  EXPECT_EQ(NumberToText(-0.0), " 0");
  EXPECT_EQ(NumberToText(57), " 57");
  EXPECT_EQ(NumberToText(2147483647), " 2147483647");
  EXPECT_EQ(NumberToText(0.001), " .001");
  EXPECT_EQ(NumberToText(-105.123456), "-105.123456");
  EXPECT_EQ(NumberToText(1.0 / 3), " .333333333333333");  // 15 significant digits
  EXPECT_EQ(NumberToText(123456789012345678.0), " 123456789012346000");
  EXPECT_EQ(NumberPrintText(1), " 1 ");
}

TEST(NumberToText, SinglePrecisionKeepsSevenDigits) {
  EXPECT_EQ(SingleToText(12.0f / 5), " 2.4");
  EXPECT_EQ(SingleToText(35.0f / 15), " 2.333333");
  EXPECT_EQ(SingleToText(0), " 0");
}

TEST(TextToNumber, ReadsTheLeadingNumber) {
  EXPECT_EQ(TextToNumber(" \t\r\n40.5abc"), 40.5);
  EXPECT_EQ(TextToNumber("-105.25 "), -105.25);
  EXPECT_EQ(TextToNumber(".5"), 0.5);
  EXPECT_EQ(TextToNumber("abc"), 0);
  EXPECT_EQ(TextToNumber(""), 0);
  EXPECT_EQ(TextToNumber("-"), 0);
  EXPECT_EQ(TextToNumber("1e3"), 1000);
  EXPECT_EQ(TextToNumber("12e"), 12);
  EXPECT_EQ(TextToNumber("1e999"), 0);  // overflow reads as nothing rather than infinity
}

TEST(RoundHalfEven, SendsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(0.6), 1);
  EXPECT_EQ(RoundHalfEven(44.5), 44);
  EXPECT_EQ(RoundHalfEven(45.5), 46);
  EXPECT_EQ(RoundHalfEven(1e12), 2147483647);  // clamped, never undefined
}

TEST(UpperCase, RaisesAsciiAndTheSevenCodePageLetters) {
  EXPECT_EQ(UpperCase("fn42ab"), "FN42AB");
  EXPECT_EQ(UpperCase("\x84\x94\x81\x82\xA4\x86\x87"), "\x8E\x99\x9A\x90\xA5\x8F\x80");
  EXPECT_EQ(UpperCase("\xE4{~}"), "\xE4{~}");
}

TEST(Fit, PadsAndCuts) {
  EXPECT_EQ(FitLeft("AB", 4), "AB  ");
  EXPECT_EQ(FitLeft("ABCDEF", 4), "ABCD");
  EXPECT_EQ(FitRight("1", 3), "  1");
  EXPECT_EQ(FitRight("1234", 3), "234");
  EXPECT_EQ(Mid("ABC", 2, 100), "BC");
  EXPECT_EQ(Mid("ABC", 4, 1), "");
  EXPECT_EQ(Mid("ABC", -3, 2), "");
  EXPECT_EQ(ReplaceAll("&lt;&lt;x", "&lt;", "<"), "<<x");
}
