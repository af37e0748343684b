#include <gtest/gtest.h>

#include <filesystem>
#include <random>

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

  void Start(int expireAfter, const std::string& password = "vane-demo") {
    QrzDoubleOptions options = DemoDataOptions();
    options.expireAfter = expireAfter;
    options.password = password;
    ASSERT_TRUE(StartQrzDouble(service, options));
    SetEnvironmentValue("DXVANE_QRZ_XML_URL", QrzDoubleUrl(service));
    SetEnvironmentValue("DXVANE_QRZ_LOGBOOK_URL", QrzDoubleUrl(service));
    glb_TempFileName = folder.File("QRZ_Data.tmp");
    glb_QRZAccountName = options.account;
    glb_QRZMagicWord = options.password;
    glb_QRZLogBookKey = options.logbookKey;
    glb_QRZSessionKey.clear();
    glb_MyLatitude = 44.98;
    glb_MyLongitude = -93.27;
  }
  void Restart(int expireAfter, const std::string& password = "vane-demo") {
    StopQrzDouble(service);
    service.~QrzDouble();
    new (&service) QrzDouble();
    Start(expireAfter, password);
  }
  // Sets the fault; the refusing one is a matter of the address the client is given.
  void Fault(QrzFault fault) {
    service.fault = fault;
    SetEnvironmentValue("DXVANE_QRZ_XML_URL", QrzDoubleUrl(service));
    SetEnvironmentValue("DXVANE_QRZ_LOGBOOK_URL", QrzDoubleUrl(service));
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
    result = LookupCallsign(call, record, errorText);
    if (error) *error = errorText;
    asked = call;
    return record;
  }
  void Resolve(LookupCache& cache, int32_t& lookups, std::initializer_list<const char*> calls) {
    CallTable batch;
    for (const char* call : calls) batch.entry[++batch.count] = {call, CallerKind::kCq, ""};
    std::string error;
    LookupWithCache(batch, cache, lookups, error, BuiltInCountries());
  }
  std::string Download() {
    std::string error;
    DownloadLogBook("N0VANE.adi.txt", error);
    return error;
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
  LookupResult result = LookupResult::kStation;
};

std::vector<std::string> FailedCalls(const LookupCache& cache) {
  std::vector<std::string> calls;
  for (const CacheEntry& failed : cache.failed) calls.push_back(failed.call + "x" + std::to_string(failed.count));
  return calls;
}

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

TEST(CutAddress, KeepsAtMost255CharactersAndNeverSplitsAnEscape) {
  for (size_t before : {252u, 253u, 254u}) {
    std::string address = std::string(before, 'a') + "%2F" + "tail";
    std::string cut = CutAddress(address);
    EXPECT_EQ(cut, before == 252 ? address.substr(0, 255) : std::string(before, 'a')) << before;
  }
  EXPECT_EQ(CutAddress("http://x/?a=%2F"), "http://x/?a=%2F");
}

TEST_F(QrzTest, ASessionKeyComesFromTheAccountAndPassword) {
  LogIn();
  EXPECT_EQ(Requests().back(), "/xml/current/?username=N0VANE;password=vane-demo;agent=QQQv2");
  EXPECT_TRUE(IsOwnerOnlyFile(glb_TempFileName));
}

TEST_F(QrzTest, APasswordOfEverySpecialCharacterLogsIn) {
  const std::string password = "p&s;w#d+1%2 x/y=z\xC3\xA9";
  Restart(0, password);
  glb_QRZMagicWord = password;
  LogIn();
  EXPECT_EQ(Requests().back(), "/xml/current/?username=N0VANE;password=p%26s%3Bw%23d%2B1%252%20x%2Fy%3Dz%C3%A9;agent=QQQv2");
}

TEST_F(QrzTest, SessionRepliesAreReadUpToTheFirstCarriageReturn) {
  std::string error;
  glb_QRZSessionKey = "old";
  Can("<Session>\n<Key>  spaced-key  </Key>\n</Session>\n");
  GetSessionKey(glb_QRZSessionKey, error);
  EXPECT_EQ(glb_QRZSessionKey, "spaced-key");
  Can("<Session>\r\n<Key>after-cr</Key>\r\n</Session>\r\n");
  GetSessionKey(glb_QRZSessionKey, error);
  EXPECT_EQ(glb_QRZSessionKey, "spaced-key");  // no key came: kept, and never silent
  EXPECT_EQ(error, "no reply from the QRZ service");
  glb_QRZSessionKey = "kept";
  Can("<Session>\n<Error> Something broke </Error>\n<Key>new-key</Key>\n</Session>\n");
  GetSessionKey(glb_QRZSessionKey, error);
  EXPECT_EQ(error, "Something broke");  // an error with a key is still an error
  EXPECT_EQ(glb_QRZSessionKey, "kept");
  Can("<Session>\n<Key></Key>\n</Session>\n");
  GetSessionKey(glb_QRZSessionKey, error);
  EXPECT_EQ(error, "no reply from the QRZ service");  // an empty key is none
  EXPECT_EQ(glb_QRZSessionKey, "kept");
  Can("<Session>\n<Error>Username &amp; password don&apos;t match</Error>\n</Session>\n");
  GetSessionKey(glb_QRZSessionKey, error);
  EXPECT_EQ(error, "Username & password don't match");
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
  EXPECT_EQ(TrimBlanks(ScreenRowText(5)), "glb_QRZMagicWord: ********");  // never the password itself
  for (int row = 7; row <= 18; ++row) {
    std::string line = ScreenRowText(row);
    EXPECT_EQ(line.find_last_not_of(' '), 62u) << "row " << row << " [" << line << "]";
    EXPECT_EQ(line[1], '*');
  }
  EXPECT_EQ(ScreenRowText(8).substr(0, 63), " * QRZ site may be down or your internet connection is down.  *");
  EXPECT_EQ(ScreenRowText(17).substr(0, 63), " *         <<< Please terminate the program now >>>           *");
  TheConsole().keys = {"x"};  // a key ends the pause at once
  GetSessionKey(glb_QRZSessionKey, error);
  EXPECT_EQ(SleptMilliseconds(), 1000000);
  EXPECT_TRUE(TheConsole().keys.empty());
}

// A login that gave no key shows why, with the box and the pause, whatever went wrong.
TEST_F(QrzTest, ALoginWithoutAKeyIsNeverSilent) {
  struct Case {
    QrzFault fault;
    const char* canned;
    const char* error;  // the start of what the box says
  };
  for (const Case& c : {Case{QrzFault::kHttpError, "", "the server answered HTTP 503"},
                        Case{QrzFault::kGarbage, "", "no reply from the QRZ service"},
                        Case{QrzFault::kNone, "<QRZDatabase>\n</QRZDatabase>\n", "no reply from the QRZ service"},
                        Case{QrzFault::kRefuse, "", "Failed to connect"}}) {
    ResetVirtualConsole();
    Fault(c.fault);
    Can(c.canned);
    std::string error;
    int64_t slept = SleptMilliseconds();
    GetSessionKey(glb_QRZSessionKey, error);
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    EXPECT_EQ(ScreenRowText(3).substr(31, std::string(c.error).size()), c.error);
    EXPECT_EQ(SleptMilliseconds() - slept, 1000000) << c.error;
  }
}

TEST(DecodeXmlText, DecodesEveryReferenceAndKeepsWhatNamesNothing) {
  struct Row {
    const char* text;
    const char* decoded;
  };
  for (const Row& row : {Row{"Bob &amp; Mary", "Bob & Mary"}, {"&lt;b&gt; &quot;x&quot; &apos;", "<b> \"x\" '"},
                         {"Jos&#233; &#xE9;&#XE9;", "Jos\xC3\xA9 \xC3\xA9\xC3\xA9"},
                         {"Jos\xE9 &#233; &#x20AC;", "Jos\xC3\xA9 \xC3\xA9 \xE2\x82\xAC"},  // ISO-8859-1 made UTF-8
                         {"&#x20AC;", "\xE2\x82\xAC"},
                         {"&bogus; &#xZZ; &#55296; &#1114112; & &amp", "&bogus; &#xZZ; &#55296; &#1114112; & &amp"}})
    EXPECT_EQ(DecodeXmlText(row.text), row.decoded) << row.text;
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
  EXPECT_EQ(Lookup("W9HBM").name_fmt, "Bob & Mary Hendricks");
  EXPECT_EQ(Lookup("EA4JOS").name_fmt, "Jos\xC3\xA9 Mart\xC3\xADnez");
  StationRecord latOnly = Lookup("SP9ABC");
  EXPECT_EQ(latOnly.lat, "50.0647");
  EXPECT_EQ(latOnly.bearing, "");
  EXPECT_EQ(latOnly.distance, "");
  EXPECT_EQ(Lookup("K0MPL").name_fmt, "Pat Lindqvist");  // no name_fmt: the first name and the name
  StationRecord mixed = Lookup("OE3WKL");  // an ISO-8859-1 city and state beside a UTF-8 country
  EXPECT_EQ(mixed.addr2, "St. P\xC3\xB6lten");
  EXPECT_EQ(mixed.state, "NIEDER\xC3\xB6STERREICH");
  EXPECT_EQ(mixed.country, "\xC3\x96sterreich");
  EXPECT_EQ(Lookup("W7XYZ/P").call, "W7XYZ");
  EXPECT_EQ(Requests().back(), "/xml/current/?s=" + glb_QRZSessionKey + ";callsign=W7XYZ%2FP");
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
  EXPECT_EQ(result, LookupResult::kRenewed);  // asked again later, with the new key
  EXPECT_EQ(record.call, "");
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
  struct Case {
    QrzFault fault;
    LookupResult result;
    const char* canned = "";
  };
  const char* cutShort = "<?xml version=\"1.0\" ?>\n<QRZDatabase>\n<Callsign>\n<call>JA1XGI</call>\n<fname>Hir";
  // Cut after the station: its session (and a message such as the subscription's) is missing.
  const char* cutAfterStation = "<?xml version=\"1.0\" ?>\n<QRZDatabase>\n<Callsign>\n<call>JA1XGI</call>\n"
                                "<fname>Hiro</fname>\n</Callsign>\n<Session>\n<Key>abc";
  for (Case c : {Case{QrzFault::kHttpError, LookupResult::kServiceDown}, {QrzFault::kGarbage, LookupResult::kFailed},
                 {QrzFault::kRefuse, LookupResult::kServiceDown},
                 {QrzFault::kNone, LookupResult::kFailed, cutShort},
                 {QrzFault::kNone, LookupResult::kFailed, cutAfterStation}}) {
    Fault(c.fault);
    Can(c.canned);
    std::string error;
    StationRecord record = Lookup("JA1XGI", &error);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(record.call, "");
    EXPECT_EQ(record.name_fmt, "");
    EXPECT_NE(error, "");
    EXPECT_EQ(asked, "JA1XGI");
  }
  Can("");
  Fault(QrzFault::kNone);
  EXPECT_EQ(Lookup("W1AW").call, "W1AW");
}

// A free account's lookups for the day used up: a new key does not cure it, so it costs one
// renewal a period, and the service's words stay until a lookup succeeds.
TEST_F(QrzTest, ALookupLimitCostsOneRenewalAPeriod) {
  {
    std::lock_guard<std::mutex> lock(service.mutex);
    service.options.lookupLimit = 1;
  }
  LogIn();
  LookupCache cache;
  int32_t lookups = 0;
  Resolve(cache, lookups, {"W1AW", "JA1XGI", "DL5NAM", "VK2DX"});
  EXPECT_EQ(lookups, 3);
  EXPECT_EQ(FailedCalls(cache), (std::vector<std::string>{"JA1XGIx1", "DL5NAMx1", "VK2DXx1"}));
  EXPECT_EQ(cache.serviceError, "Lookup limit exceeded for today");
  std::vector<std::string> requests = Requests();
  EXPECT_EQ(std::count_if(requests.begin(), requests.end(), [](const std::string& r) { return Contains(r, "username="); }), 2);
  {
    std::lock_guard<std::mutex> lock(service.mutex);
    service.options.lookupLimit = 0;
  }
  Resolve(cache, lookups, {"JA1XGI"});
  EXPECT_EQ(cache.serviceError, "");
}

// A reply that trickles in (a byte every half second here) is cut when the period's lookups
// have spent their time, so the table still comes in its period; the callers left over are
// asked when they call again.
TEST_F(QrzTest, ATricklingLookupEndsWithinThePeriod) {
  LogIn();
  {
    std::lock_guard<std::mutex> lock(service.mutex);
    service.options.trickleMilliseconds = 500;
  }
  Fault(QrzFault::kTrickle);
  CallTable batch;
  for (const char* call : {"W1AW", "JA1XGI", "DL5NAM"}) batch.entry[++batch.count] = {call, CallerKind::kCq, ""};
  LookupCache cache;
  int32_t lookups = 0;
  std::string error;
  LookupWithCache(batch, cache, lookups, error, BuiltInCountries(), 2);
  EXPECT_EQ(lookups, 1);
  EXPECT_EQ(cache.serviceError, "the reply took longer than 2 seconds");
  EXPECT_EQ(FailedCalls(cache), (std::vector<std::string>{"W1AWx1", "JA1XGIx1", "DL5NAMx1"}));
  Fault(QrzFault::kNone);
  LookupWithCache(batch, cache, lookups, error, BuiltInCountries(), 2);
  EXPECT_EQ(lookups, 4);
  EXPECT_TRUE(cache.failed.empty());
}

TEST_F(QrzTest, TheTempFileIsNeverWrittenThroughALink) {
  WriteFile("victim.txt", "precious");
  std::error_code failed;
  std::filesystem::create_symlink("victim.txt", glb_TempFileName, failed);
  if (failed) GTEST_SKIP() << "this system makes no symbolic links here";
  LogIn();  // the link is replaced by a file of our own
  EXPECT_EQ(ReadFileBytes("victim.txt"), "precious");
  EXPECT_TRUE(IsOwnerOnlyFile(glb_TempFileName));
}

TEST_F(QrzTest, TheCacheAsksOnlyForNewCallsAndCountsTheRest) {
  LogIn();
  CallTable batch;
  batch.count = 4;
  batch.entry[1] = {"W1AW", CallerKind::kCq, ""};
  batch.entry[2] = {"W1AW", CallerKind::kCq, ""};
  batch.entry[3] = {"ZZ9ZZZ", CallerKind::kCq, ""};
  batch.entry[4] = {"w1aw", CallerKind::kCq, ""};  // case counts: a miss
  LookupCache cache;
  int32_t lookups = 0;
  std::string error;
  LookupWithCache(batch, cache, lookups, error, BuiltInCountries());
  EXPECT_EQ(lookups, 3);
  EXPECT_EQ(cache.lastSlot, 3);
  EXPECT_EQ(cache.entry[1].call, "W1AW");
  EXPECT_EQ(cache.entry[1].count, 2);
  EXPECT_EQ(cache.entry[1].bearing, " 95");
  EXPECT_EQ(cache.entry[2].name, "Call Sign Not Found!");
  EXPECT_EQ(cache.entry[2].dxcc, "");
  LookupWithCache(batch, cache, lookups, error, BuiltInCountries());
  EXPECT_EQ(lookups, 3);  // w1aw, answered as W1AW, is kept under the call as decoded
  EXPECT_EQ(cache.entry[1].count, 4);
}

TEST_F(QrzTest, APortableCallIsKeptUnderTheCallAsDecoded) {
  LogIn();
  LookupCache cache;
  int32_t lookups = 0;
  Resolve(cache, lookups, {"W7XYZ/P"});
  Resolve(cache, lookups, {"W7XYZ/P"});
  EXPECT_EQ(lookups, 1);
  EXPECT_EQ(cache.entry[1].call, "W7XYZ/P");
  EXPECT_EQ(cache.entry[1].name, "Sam Bridger");
  EXPECT_EQ(cache.entry[1].count, 2);
}

// Without a subscription a station that sent no grid is placed at its entity's centre; when it
// next calls with a grid, its cached row moves there, without a new lookup.
TEST_F(QrzTest, ACachedStationPlacedRoughlyMovesToTheGridItSends) {
  glb_QRZAccountName = "N0FREE";
  glb_QRZMagicWord = "vane-free";
  LogIn();
  LookupCache cache, sentGridFirst;
  int32_t lookups = 0;
  CallTable withoutGrid, withGrid;
  withoutGrid.entry[++withoutGrid.count] = {"ZS6RJ", CallerKind::kCq, ""};
  withGrid.entry[++withGrid.count] = {"ZS6RJ", CallerKind::kCq, "KG44"};
  std::string error;
  LookupWithCache(withoutGrid, cache, lookups, error, BuiltInCountries());
  EXPECT_EQ(cache.entry[1].distance, " 8834");  // South Africa's centre
  LookupWithCache(withGrid, cache, lookups, error, BuiltInCountries());
  LookupWithCache(withGrid, sentGridFirst, lookups, error, BuiltInCountries());
  EXPECT_EQ(lookups, 2);
  EXPECT_EQ(cache.entry[1].distance, sentGridFirst.entry[1].distance);
  EXPECT_NE(cache.entry[1].distance, " 8834");
  EXPECT_FALSE(cache.entry[1].roughPosition);
}

// A failed lookup is shown for its period and asked again in the next; a dead service or a
// gateway's error costs one request a period, not one per caller, and is said until a lookup
// succeeds.
TEST_F(QrzTest, AFailedLookupIsNotKeptAndIsAskedAgain) {
  LogIn();
  LookupCache cache;
  int32_t lookups = 0;
  Fault(QrzFault::kHttpError);
  Resolve(cache, lookups, {"W1AW", "JA1XGI", "W1AW"});
  EXPECT_EQ(lookups, 1);
  EXPECT_EQ(FailedCalls(cache), (std::vector<std::string>{"W1AWx2", "JA1XGIx1"}));
  EXPECT_EQ(cache.lastSlot, 0);
  EXPECT_EQ(cache.serviceError, "the server answered HTTP 503");
  Fault(QrzFault::kRefuse);
  Resolve(cache, lookups, {"W1AW", "JA1XGI", "DL5NAM"});
  EXPECT_EQ(lookups, 2);
  EXPECT_EQ(FailedCalls(cache), (std::vector<std::string>{"W1AWx1", "JA1XGIx1", "DL5NAMx1"}));
  Fault(QrzFault::kNone);
  Resolve(cache, lookups, {"W1AW", "JA1XGI", "DL5NAM"});
  EXPECT_EQ(lookups, 5);
  EXPECT_TRUE(cache.failed.empty());
  EXPECT_EQ(cache.serviceError, "");
  EXPECT_EQ(cache.entry[3].name, "Jens Hoffmann");
}

// Three callers behind a session that cannot be renewed: one box of a few seconds, not
// three pauses of 1,000 seconds; the next period renews and goes on.
TEST_F(QrzTest, ARenewalThatFailsMidRunDoesNotFreezeTheMonitor) {
  Restart(1);
  LogIn();
  LookupCache cache;
  int32_t lookups = 0;
  Resolve(cache, lookups, {"W1AW"});  // the key expires after it
  service.options.password = "changed";
  int64_t slept = SleptMilliseconds();
  Resolve(cache, lookups, {"JA1XGI", "DL5NAM", "PY2XB"});
  EXPECT_EQ(lookups, 2);
  EXPECT_EQ(SleptMilliseconds() - slept, 5000);
  EXPECT_EQ(TrimBlanks(ScreenRowText(2)), "Error Requesting a QRZ session Key");
  EXPECT_EQ(FailedCalls(cache), (std::vector<std::string>{"JA1XGIx1", "DL5NAMx1", "PY2XBx1"}));
  service.options.password = "vane-demo";
  Resolve(cache, lookups, {"JA1XGI", "DL5NAM"});
  EXPECT_EQ(FailedCalls(cache), (std::vector<std::string>{"JA1XGIx1"}));  // it met the renewal
  EXPECT_EQ(cache.entry[2].call, "DL5NAM");
}

TEST_F(QrzTest, TheRingWrapsAtThe257thMiss) {
  LogIn();
  LookupCache cache;
  int32_t lookups = 0;
  std::string error;
  for (int i = 0; i < 257; ++i) {
    CallTable batch;
    batch.count = 1;
    batch.entry[1] = {"ZZ" + std::to_string(1000 + i), CallerKind::kCq, ""};
    LookupWithCache(batch, cache, lookups, error, BuiltInCountries());
  }
  EXPECT_EQ(lookups, 257);
  EXPECT_EQ(cache.lastSlot, 1);
  EXPECT_EQ(cache.entry[1].call, "ZZ1256");
  EXPECT_EQ(cache.entry[2].call, "ZZ1001");
}

TEST_F(QrzTest, TheLogbookBecomesOneRecordALine) {
  Can("RESULT=OK&COUNT=3&ADIF=&lt;call:5&gt;K1ABC\n&lt;mode:3&gt;FT8\r\n&lt;eor&gt;\n\n"
      "&lt;call:5&gt;W2DEF\n&lt;mode:3&gt;FT8 &amp; more\n&lt;eor&gt;\n\n"
      "&l\nt;call:5&g\nt;JA1XX\n=&lt;x:1&gt;y\n&lt;eor&gt;\n\ntrailing text");
  EXPECT_EQ(Download(), "");
  EXPECT_EQ(Requests().back(), "/api?KEY=A1B2-C3D4-E5F6-0789&ACTION=FETCH");
  EXPECT_EQ(ReadFileBytes("N0VANE.adi.txt"),
            "Download Time Stamp: 03-08-2021 12:34:56\r\n"
            "<call:5>K1ABC<mode:3>FT8\r<eor>\r\n"
            "<call:5>W2DEF<mode:3>FT8 &amp; more<eor>\r\n"
            "<call:5>JA1XX=<x:1>y<eor>\r\n");
  const std::string& shown = TheConsole().transcript;
  EXPECT_EQ(shown.find("Processing: 1 QSO Records"), std::string::npos);  // every 1,000 and at the end
  EXPECT_NE(shown.find("Processing: 3 QSO Records      "), std::string::npos);
  EXPECT_EQ(ScreenRowText(21), std::string(kScreenColumns, ' '));
}

// RESULT, STATUS and COUNT wherever the service puts them, before the records or after.
TEST_F(QrzTest, TheDoublesLogbookDownloadsWholeInEveryShape) {
  for (LogbookShape shape : {LogbookShape::kResultLast, LogbookShape::kResultFirst, LogbookShape::kStatus}) {
    {
      std::lock_guard<std::mutex> lock(service.mutex);
      service.options.logbookShape = shape;
    }
    EXPECT_EQ(Download(), "");
    std::string copy = ReadFileBytes("N0VANE.adi.txt");
    EXPECT_NE(copy.find("\r\n<call:5>K2LYV<mode:3>FT8<band:3>20m<qso_date:8>20210102<dxcc:3>291<app_qrzlog_status:1>C"), std::string::npos);
    EXPECT_EQ(std::count(copy.begin(), copy.end(), '\n'), 1 + static_cast<int>(service.logbook.size()));
  }
}

namespace {

// The copy step as plainly stated: a byte at a time; before the first record "=&lt;" drops all
// before it; at each "&lt;eor&gt;" the record, line feeds removed, "&lt;" then "&gt;" replaced.
std::vector<std::string> RecordsByTheRule(const std::string& reply) {
  std::vector<std::string> records;
  std::string text;
  for (char c : reply) {
    text += c;
    if (records.empty() && EndsWith(text, "=&lt;")) text = "&lt;";
    if (!EndsWith(text, "&lt;eor&gt;")) continue;
    records.push_back(ReplaceAll(ReplaceAll(ReplaceAll(text, "\n", ""), "&lt;", "<"), "&gt;", ">"));
    text.clear();
  }
  return records;
}

}  // namespace

TEST(CopiedRecords, FollowTheRuleOnRandomReplies) {
  const char* const pieces[] = {"&", "l", "g", "t", ";", "\n", "\r", "x", "=", "e", "o", "r",
                                "&lt;", "&gt;", "&lt;eor&gt;", "&at;", "&amp;", "=&lt;", "&l\nt;", "RESULT=OK&"};
  std::mt19937 random(2026);
  for (int round = 0; round < 30000; ++round) {
    std::string reply;
    for (int length = static_cast<int>(random() % 30); length > 0; --length) reply += pieces[random() % std::size(pieces)];
    size_t pieceSize = 1 + random() % 16;
    ASSERT_EQ(CopiedRecords(reply, pieceSize), RecordsByTheRule(reply)) << "reply [" << reply << "] in pieces of " << pieceSize;
  }
  EXPECT_EQ(CopiedRecords("=&lt;x&at;yz&lt;eor&gt;", 64), std::vector<std::string>{"<x&at;yz<eor>"});
}

TEST_F(QrzTest, AnEndMarkerAcrossReadsStillClosesTheRecord) {
  std::string head = "RESULT=OK&COUNT=1&ADIF=&lt;call:5&gt;K1ABC&lt;notes:1&gt;";
  std::string padding(65536 - head.size() - 5, 'x');  // the marker straddles the first 64 KiB
  Can(head + padding + "&lt;eor&gt;\n");
  EXPECT_EQ(Download(), "");
  std::string copy = ReadFileBytes("N0VANE.adi.txt");
  EXPECT_TRUE(EndsWith(copy, "x<eor>\r\n"));
}

TEST_F(QrzTest, AFailedOrRefusedDownloadKeepsThePreviousCopy) {
  const std::string record = "&lt;call:5&gt;K1ABC&lt;eor&gt;\n";
  struct Case {
    const char* key;
    std::string canned;
    QrzFault fault;
    const char* error;
  };
  for (const Case& c : {Case{"wrong", "", QrzFault::kNone, "invalid api key"},  // without the key echoed back
                        Case{nullptr, "STATUS=AUTH&REASON=user does not have a valid QRZ subscription to use this function",
                             QrzFault::kNone, "user does not have a valid QRZ subscription to use this function"},
                        Case{nullptr, "COUNT=1&ADIF=" + record + "\n&RESULT=FAIL", QrzFault::kNone, "the QRZ logbook service sent no"},
                        Case{nullptr, "RESULT=OK&COUNT=3&ADIF=" + record + record, QrzFault::kNone,
                             "the reply was cut short (2 of 3 records)"},
                        Case{nullptr, "RESULT=OK&ADIF=" + record, QrzFault::kNone, "the reply gave no record count"},
                        Case{nullptr, "", QrzFault::kHttpError, "the server answered HTTP 503"},
                        Case{nullptr, "", QrzFault::kRefuse, "Failed to connect"},
                        // No record end for megabytes (a reply that inflates without end): no logbook.
                        Case{nullptr, "RESULT=OK&COUNT=2&ADIF=" + record + "&lt;call:5&gt;K2ABC&lt;notes:3000000&gt;" +
                                          std::string(3000000, 'x') + "&lt;eor&gt;\n",
                             QrzFault::kNone, "a record of the reply was larger than 1 MB"}}) {
    WriteFile("N0VANE.adi.txt", "previous copy\r\n");
    glb_QRZLogBookKey = c.key ? c.key : service.options.logbookKey;
    Can(c.canned);
    Fault(c.fault);
    EXPECT_EQ(Download().rfind(c.error, 0), 0u) << c.error;
    EXPECT_EQ(ReadFileBytes("N0VANE.adi.txt"), "previous copy\r\n") << c.error;
    EXPECT_TRUE(FilesBeginningWith(".", "N0VANE.adi.txt.new").empty()) << c.error;
  }
  std::string shown = TheConsole().transcript;
  EXPECT_NE(shown.find("Received: 3000106 bytes"), std::string::npos);  // the bytes, as they came
}

// The copy goes to a folder on a tiny file system: the disk fills mid-copy.
TEST_F(QrzTest, AFullDiskKeepsThePreviousCopyWhole) {
  std::string small = folder.File("small");
  if (!MountSmallFileSystem(small, "8k")) GTEST_SKIP() << "mounting a small file system needs root on Linux";
  WriteFile(small + "/N0VANE.adi.txt", "previous copy\r\n");
  std::string records;
  for (int i = 0; i < 400; ++i) records += "&lt;call:5&gt;K" + std::to_string(1000 + i) + "&lt;notes:20&gt;twenty bytes of notes&lt;eor&gt;\n";
  Can("RESULT=OK&COUNT=400&ADIF=" + records);
  std::string error;
  DownloadLogBook(small + "/N0VANE.adi.txt", error);
  std::string copy = ReadFileBytes(small + "/N0VANE.adi.txt");
  bool leftover = !FilesBeginningWith(small, "N0VANE.adi.txt.new").empty();
  Unmount(small);
  EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
  EXPECT_EQ(copy, "previous copy\r\n");
  EXPECT_FALSE(leftover);
}
