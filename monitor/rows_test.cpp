#include "monitor/rows.h"

#include <gtest/gtest.h>

namespace {

CacheEntry Station(const std::string& call, const std::string& dxcc, int count = 1) {
  CacheEntry entry;
  entry.call = call;
  entry.name = "Hiroshi Tanaka";
  entry.city = "Osaka";
  entry.country = "Japan";
  entry.dxcc = dxcc;
  entry.state = "";
  entry.bearing = " 301";
  entry.distance = " 4783";
  entry.count = count;
  return entry;
}

std::string Code(const CacheEntry& station, CallerKind kind, const ConfirmedList& confirmed, const WorkedList& worked) {
  return StatusCode(station, kind, confirmed, worked);
}

}  // namespace

TEST(StationRow, LaysOutTheColumns) {
  CacheEntry station = Station("JA1ABC", "339", 1);
  station.state = "NY";
  std::string row = StationRow(station, CallerKind::kCq, {}, {});
  ASSERT_EQ(row.size(), 132u);
  EXPECT_EQ(row.substr(0, 2), "  ");
  EXPECT_EQ(row.substr(2, 11), "JA1ABC     ");
  EXPECT_EQ(row.substr(13, 25), "Hiroshi Tanaka           ");
  EXPECT_EQ(row.substr(38, 2), "  ");
  EXPECT_EQ(row.substr(40, 48), "Osaka/Japan" + std::string(37, ' '));
  EXPECT_EQ(row.substr(88, 2), "  ");
  EXPECT_EQ(row.substr(90, 6), "339   ");
  EXPECT_EQ(row.substr(96, 7), "NY     ");
  EXPECT_EQ(row.substr(103, 12), " 301        ");
  EXPECT_EQ(row.substr(115, 12), " 4783       ");
  EXPECT_EQ(row.substr(127, 3), "  1");
  EXPECT_EQ(row.substr(130, 2), "04");
}

TEST(StationRow, CutsLongTextsAndShowsTheLastThreeDigitsOfACount) {
  CacheEntry station = Station("VERYLONGCALL1", "339", 1234);
  station.name = std::string(30, 'N');
  station.city = std::string(60, 'C');
  std::string row = StationRow(station, CallerKind::kCq, {}, {});
  ASSERT_EQ(row.size(), 132u);
  EXPECT_EQ(row.substr(2, 11), "VERYLONGCAL");
  EXPECT_EQ(row.substr(13, 25), std::string(25, 'N'));
  EXPECT_EQ(row.substr(40, 48), std::string(48, 'C'));
  EXPECT_EQ(row.substr(127, 3), "234");
}

TEST(StationRow, EmptyPlacesAndNotFoundStations) {
  CacheEntry station = Station("W1ABC", "");
  station.city = station.country = "";
  EXPECT_EQ(StationRow(station, CallerKind::kCq, {}, {}).substr(40, 2), "/ ");
  CacheEntry missing;
  missing.call = "ZZ9ZZZ";
  missing.name = kNotFoundName;
  missing.count = 1;
  std::string row = StationRow(missing, CallerKind::kCq, {}, {});
  EXPECT_EQ(row.substr(40, 50), std::string(50, ' '));
  EXPECT_EQ(row.substr(130), "02");
}

TEST(StatusCode, FollowsItsOrder) {
  WorkedList worked;
  AddWorked(worked, "W1ABC");
  AddWorked(worked, "JA1ABC");
  ConfirmedList confirmed{291, 339};
  // Calling me wins over everything, even worked DX.
  EXPECT_EQ(Code(Station("JA1ABC", "339"), CallerKind::kCallingMe, confirmed, worked), "98");
  // Home is 02 even when confirmed; once worked it is 01.
  EXPECT_EQ(Code(Station("W2DEF", "291"), CallerKind::kCq, confirmed, worked), "02");
  EXPECT_EQ(Code(Station("KL7AA", "6"), CallerKind::kCq, confirmed, worked), "02");
  EXPECT_EQ(Code(Station("KH6AA", "110"), CallerKind::kCq, confirmed, worked), "02");
  EXPECT_EQ(Code(Station("W1ABC", "291"), CallerKind::kCq, confirmed, worked), "01");
  // DX: confirmed 03, unconfirmed 04, worked 01 over both.
  EXPECT_EQ(Code(Station("JA2XYZ", "339"), CallerKind::kCq, confirmed, worked), "03");
  EXPECT_EQ(Code(Station("DL1ABC", "230"), CallerKind::kCq, confirmed, worked), "04");
  EXPECT_EQ(Code(Station("JA1ABC", "339"), CallerKind::kCq, confirmed, worked), "01");
  CacheEntry notFound = Station("ZZ9ZZZ", "");
  notFound.name = kNotFoundName;
  EXPECT_EQ(Code(notFound, CallerKind::kCq, confirmed, worked), "02");
  // An entity neither QRZ nor the country file knows is no DX to alert for.
  for (const char* unknown : {"", "0"}) EXPECT_EQ(Code(Station("XX9ABC", unknown), CallerKind::kCq, confirmed, worked), "02");
}

TEST(BandLabel, NamesEveryBandADialFrequencyFallsIn) {
  const std::string stamp = "210308_123045";
  struct Row {
    const char* frequency;
    const char* ending;
  };
  for (const Row& row : {Row{"1.840", " 160m]"}, {"3.573", "  80m]"}, {"7.074", "  40m]"}, {"10.136", "  30m]"},
                         {"14.074", "  20m]"}, {"18.100", "  17m]"}, {"21.074", "  15m]"}, {"24.915", "  12m]"},
                         {"28.074", "  10m]"}, {"50.313", "   6m]"}, {"10.000", "  30m]"},  // the prefix table's word
                         {"5.357", "  60m]"}, {"144.174", "   2m]"}, {"70.154", "   4m]"}, {"432.174", " 70cm]"},
                         {"0.474", " 630m]"}, {"222.065", "1.25m]"}, {"11.000", "]"}, {"", "]"}})
    EXPECT_EQ(BandLabel(stamp, row.frequency), "[210308_123045" + std::string(row.ending)) << row.frequency;
  EXPECT_EQ(SeparatorRow(stamp, "14.074"), std::string(58, '-') + "[210308_123045  20m]" + std::string(58, '-'));
}

// By band slot: JA1ABC worked on 20 m only; Japan confirmed on 20 m only, Germany on 40 m.
TEST(StatusCode, ByBandSlotsClassesOnTheDecodesBand) {
  WorkedList worked;
  AddWorked(worked, "JA1ABC", BandBit(BandNamed("20m")));
  AddWorked(worked, "W1ABC");  // a contact without band or frequency: worked on every band
  ConfirmedList confirmed{339, 230};
  ConfirmedBands bands{BandBit(BandNamed("20m")), BandBit(BandNamed("40m"))};
  struct Row {
    const char* call;
    const char* dxcc;
    const char* band;
    const char* code;
  };
  for (const Row& row : {Row{"JA1ABC", "339", "20m", "01"}, {"JA1ABC", "339", "40m", "05"}, {"JA2XYZ", "339", "20m", "03"},
                         {"JA2XYZ", "339", "40m", "05"}, {"DL1ABC", "230", "40m", "03"}, {"DL1ABC", "230", "20m", "05"},
                         {"VK2DX", "150", "40m", "04"}, {"W1ABC", "291", "40m", "01"}, {"W2DEF", "291", "40m", "02"}}) {
    BandClass byBand{&bands, BandNamed(row.band)};
    EXPECT_EQ(StatusCode(Station(row.call, row.dxcc), CallerKind::kCq, confirmed, worked, byBand), row.code)
        << row.call << " on " << row.band;
  }
  // Without the option every row is classed as always.
  EXPECT_EQ(Code(Station("JA1ABC", "339"), CallerKind::kCq, confirmed, worked), "01");
  EXPECT_EQ(Code(Station("DL1ABC", "230"), CallerKind::kCq, confirmed, worked), "03");
}

TEST(RenderRows, PutsTheBatchUnderANewSeparator) {
  LookupCache cache;
  cache.entry[1] = Station("W1ABC", "291");
  cache.entry[2] = Station("JA1ABC", "339");
  CallTable calls;
  calls.count = 3;
  calls.entry[1] = {"JA1ABC", CallerKind::kCallingMe, ""};  // on top of the CQs, wherever it stands
  calls.entry[2] = {"W1ABC", CallerKind::kCq, ""};
  calls.entry[3] = {"UNKNOWN", CallerKind::kCq, ""};  // no slot: no row
  ScreenRows rows;
  rows[1] = "previous separator";
  std::string stamp = "210308_123045";
  RenderRows(calls, rows, cache, {}, {}, stamp, "14.074");
  EXPECT_EQ(rows[1], SeparatorRow(stamp, "14.074"));
  EXPECT_EQ(rows[2].substr(2, 6), "JA1ABC");
  EXPECT_EQ(rows[2].substr(130), "98");
  EXPECT_EQ(rows[3].substr(2, 5), "W1ABC");
  EXPECT_EQ(rows[4], "previous separator");
}

TEST(RenderRows, AnEmptyBatchStillAddsASeparatorAndTheOldestRowFallsOff) {
  ScreenRows rows;
  for (int i = 1; i <= kScreenRowCount; ++i) rows[i] = "row " + std::to_string(i);
  std::string stamp;
  RenderRows(CallTable{}, rows, LookupCache{}, {}, {}, stamp, "14.074");
  EXPECT_EQ(stamp, std::string(13, ' '));
  EXPECT_EQ(rows[1], SeparatorRow(std::string(13, ' '), "14.074"));
  EXPECT_EQ(rows[2], "row 1");
  EXPECT_EQ(rows[38], "row 37");
}

TEST(RenderRows, ACallInTwoSlotsMakesOneRowOfTwoSegments) {
  LookupCache cache;
  cache.entry[1] = Station("W1ABC", "291");
  cache.entry[9] = Station("W1ABC", "339");
  CallTable calls;
  calls.count = 1;
  calls.entry[1] = {"W1ABC", CallerKind::kCq, ""};
  ScreenRows rows;
  std::string stamp = "210308_123045";
  RenderRows(calls, rows, cache, {}, {}, stamp, "14.074");
  ASSERT_EQ(rows[2].size(), 264u);
  EXPECT_EQ(rows[2].substr(130, 2), "02");
  EXPECT_EQ(rows[2].substr(262), "04");
}
