#include "monitor/bands.h"

#include <gtest/gtest.h>

#include <string>

#include "common/text.h"

// Every band of ADIF's table is found by its name as loggers write it, in either case; names
// of no band, however close, find none.
TEST(BandNamed, FindsEveryBandInAnyCaseAndNothingElse) {
  int bands = 0;
  for (; BandName(bands)[0] != '\0'; ++bands) {
    std::string name = BandName(bands);
    EXPECT_EQ(BandNamed(name), bands) << name;
    EXPECT_EQ(BandNamed(UpperCase(name)), bands) << name;
  }
  EXPECT_EQ(bands, 33);
  for (const char* none : {"", "21m", "20", "m", "20m ", "2190mm", "submmx", "1.25", "70cm2", "longer than eight"})
    EXPECT_EQ(BandNamed(none), kNoBand) << '"' << none << '"';
}
