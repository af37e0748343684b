#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "common/text.h"
#include "monitor/globals.h"
#include "monitor/qrz/cache.h"
#include "monitor/qrz/logbook.h"
#include "monitor/qrz/lookup.h"
#include "monitor/qrz/reply.h"
#include "monitor/qrz/session.h"
#include "platform/files.h"
#include "platform/virtual.h"
#include "tests/support.h"
#include "tools/qrz_double.h"

namespace {

class QrzTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetVirtualConsole();
    SetVirtualClock(1615206896);  // 03-08-2021 12:34:56
    Start(0);
  }
  void TearDown() override { StopQrzDouble(service); }

  void Start(int expireAfter) {
    QrzDoubleOptions options = DemoDataOptions();
    options.expireAfter = expireAfter;
    ASSERT_TRUE(StartQrzDouble(service, options));
    setenv("DXVANE_QRZ_XML_URL", QrzDoubleUrl(service).c_str(), 1);
    setenv("DXVANE_QRZ_LOGBOOK_URL", QrzDoubleUrl(service).c_str(), 1);
    glb_TempFileName = folder.File("QRZ_Data.tmp");
    glb_QRZAccountName = options.account;
    glb_QRZMagicWord = options.password;
    glb_QRZLogBookKey = options.logbookKey;
    glb_QRZSessionKey.clear();
    glb_MyLatitude = 44.98;
    glb_MyLongitude = -93.27;
  }
  void Restart(int expireAfter) {
    StopQrzDouble(service);
    service.~QrzDouble();
    new (&service) QrzDouble();
    Start(expireAfter);
  }
  void Can(const std::string& body) {
    std::lock_guard<std::mutex> lock(service.mutex);
    service.canned = body;
  }
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(service.mutex);
    return service.requests;
  }
  StationRecord Lookup(std::string call, std::string* error = nullptr) {
    StationRecord record;
    std::string errorText;
    LookupCallsign(call, record, errorText);
    if (error) *error = errorText;
    asked = call;
    return record;
  }
  void LogIn() {
    std::string error;
    GetSessionKey(glb_QRZSessionKey, error);
    ASSERT_EQ(error, "");
    ASSERT_FALSE(glb_QRZSessionKey.empty());
  }

  ScratchFolder folder;
  QrzDouble service;
  std::string asked;
};

std::string Marked(const std::string& reply) {
  std::string value = "untouched";
  return MarkedValue(reply, "<Key>", "</Key>", value) ? value : "absent";
}

}  // namespace

TEST(MarkedValue, CutsTheFirstValueAndStripsOnlyBlanks) {
  EXPECT_EQ(Marked("<Key>  abc123  </Key>"), "abc123");
  EXPECT_EQ(Marked("<Key>a</Key><Key>b</Key>"), "a");
  EXPECT_EQ(Marked("<Key>\tab\n</Key>"), "\tab\n");
  EXPECT_EQ(Marked("<Key><Key>ab</Key>"), "ab");
  EXPECT_EQ(Marked("</Key><Key>abc"), "");  // closing first: empty
  EXPECT_EQ(Marked("<Key>abc"), "");
  EXPECT_EQ(Marked("nothing"), "absent");
}

TEST_F(QrzTest, ASessionKeyComesFromTheAccountAndPassword) {
  LogIn();
  EXPECT_EQ(Requests().back(), "/xml/current/?username=N0VANE;password=vane-demo;agent=QQQv2");
  EXPECT_EQ(FileMode(glb_TempFileName), 0600);
}

TEST_F(QrzTest, SessionRepliesAreReadUpToTheFirstCarriageReturn) {
  std::string error;
  glb_QRZSessionKey = "old";
  Can("<Session>\n<Key>  spaced-key  </Key>\n</Session>\n");
  GetSessionKey(glb_QRZSessionKey, error);
  EXPECT_EQ(glb_QRZSessionKey, "spaced-key");
  Can("<Session>\r\n<Key>after-cr</Key>\r\n</Session>\r\n");
  GetSessionKey(glb_QRZSessionKey, error);
  EXPECT_EQ(glb_QRZSessionKey, "");
  EXPECT_EQ(error, "");
  glb_QRZSessionKey = "kept";
  Can("<Session>\n<Error> Something broke </Error>\n<Key>new-key</Key>\n</Session>\n");
  GetSessionKey(glb_QRZSessionKey, error);
  EXPECT_EQ(error, "Something broke");  // an error with a key is still an error
  EXPECT_EQ(glb_QRZSessionKey, "kept");
}

TEST_F(QrzTest, ARefusedSessionShowsTheBoxAndKeepsTheKey) {
  glb_QRZMagicWord = "wrong";
  glb_QRZSessionKey = "previous";
  std::string error;
  GetSessionKey(glb_QRZSessionKey, error);
  EXPECT_EQ(error, "Username/password incorrect");
  EXPECT_EQ(glb_QRZSessionKey, "previous");
  EXPECT_EQ(SleptMilliseconds(), 1000000);
  EXPECT_EQ(TrimBlanks(ScreenRowText(2)), "Error Requesting a QRZ session Key");
  EXPECT_EQ(TrimBlanks(ScreenRowText(3)), "The Error Message is: Username/password incorrect");
  EXPECT_EQ(ScreenRowText(4).substr(0, 37), "           glb_QRZAccountName: N0VANE");
  EXPECT_EQ(ScreenRowText(5).substr(0, 36), "             glb_QRZMagicWord: wrong");
  for (int row = 7; row <= 18; ++row) {
    std::string line = ScreenRowText(row);
    EXPECT_EQ(line.find_last_not_of(' '), 62u) << "row " << row << " [" << line << "]";
    EXPECT_EQ(line[1], '*');
  }
  EXPECT_EQ(ScreenRowText(8).substr(0, 63), " * QRZ site may be down or your internet connection is down.  *");
  EXPECT_EQ(ScreenRowText(17).substr(0, 63), " *         <<< Please terminate the program now >>>           *");
}

TEST_F(QrzTest, ALookupFillsTheRecordWithBearingAndDistance) {
  LogIn();
  StationRecord w1aw = Lookup("W1AW");
  EXPECT_EQ(Requests().back(), "/xml/current/?s=" + glb_QRZSessionKey + ";callsign=W1AW");
  EXPECT_EQ(w1aw.call, "W1AW");
  EXPECT_EQ(w1aw.name_fmt, "ARRL HQ OPERATORS CLUB");
  EXPECT_EQ(w1aw.addr2, "Newington");
  EXPECT_EQ(w1aw.dxcc, "291");
  EXPECT_EQ(w1aw.land, "United States");
  EXPECT_EQ(w1aw.class_, "C");
  EXPECT_EQ(w1aw.bearing, " 95");
  EXPECT_EQ(w1aw.distance, " 1054");
  EXPECT_EQ(Lookup("K2LYV").state, "NY");  // sent in lower case
  EXPECT_EQ(Lookup("W9HBM").name_fmt, "Bob &amp; Mary Hendricks");
  StationRecord latOnly = Lookup("SP9ABC");
  EXPECT_EQ(latOnly.lat, "50.0647");
  EXPECT_EQ(latOnly.bearing, "");
  EXPECT_EQ(latOnly.distance, "");
  EXPECT_EQ(Lookup("K0MPL").name_fmt, "");
  EXPECT_EQ(Lookup("W7XYZ/P").call, "W7XYZ");
  EXPECT_EQ(asked, "W7XYZ");  // the service's form replaces the call asked for
}

TEST_F(QrzTest, AnUnknownCallFillsOnlyCallAndName) {
  LogIn();
  std::string error;
  StationRecord record = Lookup("ZZ9ZZZ", &error);
  EXPECT_EQ(error, "Call Not Found");
  EXPECT_EQ(record.call, "ZZ9ZZZ");
  EXPECT_EQ(record.name_fmt, "Call Sign Not Found!");
  EXPECT_EQ(record.dxcc, "");
  Can("<Callsign>\n<call>OTHER</call>\n<dxcc>291</dxcc>\n</Callsign>\n<Session>\n<Error>Not found: ZZ9ZZZ</Error>\n</Session>\n");
  record = Lookup("ZZ9ZZZ", &error);
  EXPECT_EQ(record.call, "ZZ9ZZZ");  // only call and name, whatever else the reply carries
  EXPECT_EQ(record.dxcc, "");
  EXPECT_EQ(asked, "ZZ9ZZZ");
}

TEST_F(QrzTest, ATimedOutSessionIsRenewedWithoutRepeatingTheLookup) {
  Restart(1);
  LogIn();
  std::string firstKey = glb_QRZSessionKey;
  EXPECT_EQ(Lookup("W1AW").call, "W1AW");
  std::string error;
  StationRecord record = Lookup("JA1XGI", &error);
  EXPECT_EQ(record.call, "");  // the error reply carried no station
  EXPECT_EQ(error, "");
  EXPECT_NE(glb_QRZSessionKey, firstKey);
  std::vector<std::string> requests = Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_NE(requests[3].find("username="), std::string::npos);
  EXPECT_EQ(Lookup("JA1XGI").call, "JA1XGI");
}

TEST_F(QrzTest, AFailedRequestNeverReturnsThePreviousStation) {
  LogIn();
  EXPECT_EQ(Lookup("W1AW").call, "W1AW");
  service.fault = QrzFault::kHttpError;
  EXPECT_EQ(Lookup("JA1XGI").name_fmt, "");
  service.fault = QrzFault::kGarbage;
  StationRecord garbage = Lookup("JA1XGI");
  EXPECT_EQ(garbage.call, "");
  EXPECT_EQ(garbage.name_fmt, "");
  service.fault = QrzFault::kNone;
  EXPECT_EQ(Lookup("W1AW").call, "W1AW");
  StopQrzDouble(service);  // connections refused from now on
  std::string error;
  StationRecord refused = Lookup("JA1XGI", &error);
  EXPECT_EQ(refused.call, "");
  EXPECT_EQ(refused.name_fmt, "");
  EXPECT_EQ(error, "");
  EXPECT_EQ(asked, "JA1XGI");
}

TEST_F(QrzTest, TheTempFileIsNeverWrittenThroughALink) {
  WriteFile("victim.txt", "precious");
  ASSERT_EQ(symlink("victim.txt", glb_TempFileName.c_str()), 0);
  std::string error;
  GetSessionKey(glb_QRZSessionKey, error);
  EXPECT_EQ(glb_QRZSessionKey, "");
  EXPECT_EQ(ReadFileBytes("victim.txt"), "precious");
}

TEST_F(QrzTest, TheCacheAsksOnlyForNewCallsAndCountsTheRest) {
  LogIn();
  CallTable batch;
  batch.count = 4;
  batch.entry[1] = {"W1AW", CallerKind::kCq};
  batch.entry[2] = {"W1AW", CallerKind::kCq};
  batch.entry[3] = {"ZZ9ZZZ", CallerKind::kCq};
  batch.entry[4] = {"w1aw", CallerKind::kCq};  // case counts: a miss
  LookupCache cache;
  int32_t lookups = 0;
  std::string error;
  LookupWithCache(batch, cache, lookups, error);
  EXPECT_EQ(lookups, 3);
  EXPECT_EQ(cache.lastSlot, 3);
  EXPECT_EQ(cache.entry[1].call, "W1AW");
  EXPECT_EQ(cache.entry[1].count, 2);
  EXPECT_EQ(cache.entry[1].bearing, " 95");
  EXPECT_EQ(cache.entry[2].name, "Call Sign Not Found!");
  EXPECT_EQ(cache.entry[2].dxcc, "");
  LookupWithCache(batch, cache, lookups, error);
  EXPECT_EQ(lookups, 4);  // the service answers w1aw as W1AW, so the lower-case form misses again
  EXPECT_EQ(cache.entry[1].count, 4);
}

TEST_F(QrzTest, APortableCallAnsweredAsItsHomeCallMissesEveryTime) {
  LogIn();
  CallTable batch;
  batch.count = 1;
  batch.entry[1] = {"W7XYZ/P", CallerKind::kCq};
  LookupCache cache;
  int32_t lookups = 0;
  std::string error;
  LookupWithCache(batch, cache, lookups, error);
  LookupWithCache(batch, cache, lookups, error);
  EXPECT_EQ(lookups, 2);
  EXPECT_EQ(cache.entry[1].call, "W7XYZ");
  EXPECT_EQ(cache.entry[2].call, "W7XYZ");
}

TEST_F(QrzTest, TheRingWrapsAtThe257thMiss) {
  LogIn();
  LookupCache cache;
  int32_t lookups = 0;
  std::string error;
  for (int i = 0; i < 257; ++i) {
    CallTable batch;
    batch.count = 1;
    batch.entry[1] = {"ZZ" + std::to_string(1000 + i), CallerKind::kCq};
    LookupWithCache(batch, cache, lookups, error);
  }
  EXPECT_EQ(lookups, 257);
  EXPECT_EQ(cache.lastSlot, 1);
  EXPECT_EQ(cache.entry[1].call, "ZZ1256");
  EXPECT_EQ(cache.entry[2].call, "ZZ1001");
}

TEST_F(QrzTest, TheLogbookBecomesOneRecordALine) {
  Can("RESULT=OK&COUNT=3&ADIF=&lt;call:5&gt;K1ABC\n&lt;mode:3&gt;FT8\r\n&lt;eor&gt;\n\n"
      "&lt;call:5&gt;W2DEF\n&lt;mode:3&gt;FT8 &amp; more\n&lt;eor&gt;\n\n"
      "&lt;call:5&gt;JA1XX\n=&lt;x:1&gt;y\n&lt;eor&gt;\n\ntrailing text");
  DownloadLogBook("N0VANE.adi.txt");
  EXPECT_EQ(Requests().back(), "/api?KEY=A1B2-C3D4-E5F6-0789&ACTION=FETCH");
  EXPECT_EQ(ReadFileBytes("N0VANE.adi.txt"),
            "Download Time Stamp: 03-08-2021 12:34:56\r\n"
            "<call:5>K1ABC<mode:3>FT8\r<eor>\r\n"
            "<call:5>W2DEF<mode:3>FT8 &amp; more<eor>\r\n"
            "<call:5>JA1XX=<x:1>y<eor>\r\n");
  const std::string& shown = TheConsole().transcript;
  size_t one = shown.find("Processing: 1 QSO Records      ");
  size_t two = shown.find("Processing: 2 QSO Records      ");
  size_t three = shown.find("Processing: 3 QSO Records      ");
  EXPECT_TRUE(one < two && two < three && three != std::string::npos);
  EXPECT_EQ(ScreenRowText(21), std::string(kScreenColumns, ' '));
}

TEST_F(QrzTest, TheDoublesLogbookDownloadsWhole) {
  DownloadLogBook("N0VANE.adi.txt");
  std::string copy = ReadFileBytes("N0VANE.adi.txt");
  EXPECT_NE(copy.find("\r\n<call:5>K2LYV<mode:3>FT8<band:3>20m<qso_date:8>20210102<dxcc:3>291<app_qrzlog_status:1>C"), std::string::npos);
  EXPECT_EQ(std::count(copy.begin(), copy.end(), '\n'), 9);
}

TEST_F(QrzTest, AnEndMarkerAcrossReadsStillClosesTheRecord) {
  std::string head = "RESULT=OK&COUNT=1&ADIF=&lt;call:5&gt;K1ABC&lt;notes:1&gt;";
  std::string padding(65536 - head.size() - 5, 'x');  // the marker straddles the first 64 KiB
  Can(head + padding + "&lt;eor&gt;\n");
  DownloadLogBook("N0VANE.adi.txt");
  std::string copy = ReadFileBytes("N0VANE.adi.txt");
  EXPECT_TRUE(EndsWith(copy, "x<eor>\r\n"));
}

TEST_F(QrzTest, AFailedOrRefusedDownloadKeepsThePreviousCopy) {
  WriteFile("N0VANE.adi.txt", "previous copy\r\n");
  glb_QRZLogBookKey = "wrong";
  DownloadLogBook("N0VANE.adi.txt");
  EXPECT_EQ(ReadFileBytes("N0VANE.adi.txt"), "previous copy\r\n");
  StopQrzDouble(service);
  DownloadLogBook("N0VANE.adi.txt");
  EXPECT_EQ(ReadFileBytes("N0VANE.adi.txt"), "previous copy\r\n");
  EXPECT_FALSE(FileExists("N0VANE.adi.txt.new"));
}
