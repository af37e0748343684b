#include "common/text.h"
#include "common/unicode.h"

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

// Station text is UTF-8 when valid, else ISO-8859-1; a column counts characters.
TEST(Fit, StationTextByCharacters) {
  EXPECT_EQ(FitCharactersLeft("Jos\xC3\xA9", 6), "Jos\xC3\xA9  ");
  EXPECT_EQ(FitCharactersLeft("Jos\xE9", 6), "Jos\xC3\xA9  ");                // ISO-8859-1
  EXPECT_EQ(FitCharactersLeft("M\xC3\xBCller-L\xC3\xBC", 8), "M\xC3\xBCller-L");  // never half a character
  EXPECT_EQ(FitCharactersLeft("\xC0\xAF", 3), "\xC3\x80\xC2\xAF ");          // an overlong form is not UTF-8
  EXPECT_EQ(FitCharactersLeft("\xED\xA0\x80", 3), "\xC3\xAD\xC2\xA0\xC2\x80");  // nor is a surrogate
  EXPECT_EQ(FirstCharacters("a\xC3\xA9\xE2\x82\xAC" "b", 3), "a\xC3\xA9\xE2\x82\xAC");
}
