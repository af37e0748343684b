// The monitor's state: created at start-up, handed by reference to every step of the loop.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/files.h"
#include "monitor/bands.h"
#include "monitor/countries.h"

inline constexpr int kCacheSize = 256;
inline constexpr int kScreenRowCount = 38;
inline constexpr int kShownRows = 36;
// The screen shows no more callers of one period than this: its separator takes a row too.
inline constexpr int kCallTableSize = kShownRows - 1;
inline constexpr int kRateHistorySize = 20;

enum class CallerKind { kNone, kCq, kCallingMe };

struct CallEntry {
  std::string call;
  CallerKind kind = CallerKind::kNone;
  std::string grid;  // the grid square the caller sent with its call, when it sent one
};

// The callers of one poll, entries 1 to count: those calling the operator first, then the CQs.
struct CallTable {
  int count = 0;
  std::array<CallEntry, kCallTableSize + 1> entry;
};

struct CacheEntry {
  std::string call;
  std::string name;
  std::string city;
  std::string country;
  std::string dxcc;
  std::string state;
  std::string bearing;
  std::string distance;
  int32_t count = 0;  // how often the call was handed to the cache while its entry existed
  bool roughPosition = false;  // bearing and distance from the entity's centre: a grid does better
};

// The exact comparison of two calls, with the cheap tests first: every caller is compared with
// all 256 slots, and calls of one length often differ only at their end.
inline bool SameCall(const std::string& a, const std::string& b) {
  return a.size() == b.size() && (a.empty() || (a.back() == b.back() && a == b));
}

// A ring of looked-up stations, entries 1 to 256, written in turn.
struct LookupCache {
  int lastSlot = 0;
  std::array<CacheEntry, kCacheSize + 1> entry;
  std::vector<CacheEntry> failed;  // callers of the latest batch whose lookup failed: shown, not kept
  std::string serviceError;        // why the lookups stopped, until one succeeds again
  int32_t cqCacheHits = 0;         // CQ callers answered from the ring
  bool noSession = false;          // no session is open: no caller is asked
};

// Callsigns already worked, unique, in order of first appearance; grows as needed. Compact, as
// a decade's logs hold 150,000 calls: the calls one after another in one arena, where each
// ends, and a table of 32-bit positions (see state.cpp).
struct WorkedList {
  std::string arena;
  std::vector<uint32_t> ends;   // where each call ends in arena; the next begins there
  std::vector<BandSet> bands;   // beside ends: the bands each was worked on
  std::vector<uint32_t> slots;  // an open-addressing table of positions in ends, plus 1
};

// DXCC entities with a confirmed contact, unique, in order of first appearance.
using ConfirmedList = std::vector<int32_t>;
// Beside a ConfirmedList: the bands each of its entities is confirmed on.
using ConfirmedBands = std::vector<BandSet>;

// A decode file as one look at WSJT-X's folder found it.
struct SeenDecodeFile {
  std::string name;
  FileIdentity identity;
  int64_t size = 0;
  int64_t modified = 0;
};

// What the decode parser keeps of the decode file besides the position. Where the platform
// allows, the file stays open from one poll to the next, so that the last lines of one renamed
// away are still read.
struct DecodeFileTrack {
  TextFile file;         // closed where it may not be held
  std::string path;      // the name it was opened by: ALL.TXT, or a yearly or monthly file
  FileMark mark;         // the file as last read
  bool waiting = false;  // there is no decode file to read: treated as empty until there is
  std::string notice;    // what the status row says meanwhile
  std::vector<SeenDecodeFile> seen;  // the decode files at the last look
};

// What the worked list's reloads keep of WSJT-X's log: a log that only grew is read from here.
struct WsjtxLogTrack {
  FileMark mark;
  int64_t end = 0;  // just past the last whole line read
};

// Table rows, newest at index 1; index 0 is not used.
using ScreenRows = std::array<std::string, kScreenRowCount + 1>;

struct MonitorState {
  CountryTable newerCountries;  // WSJT-X's cty.dat when newer than the built-in country file
  std::string sessionMessage;  // what the service says of the account, shown for the run
  std::string sessionFailure;  // why no session could be opened, until one is; empty meanwhile
  int32_t sessionAskedSeconds = 0;  // when a session was last asked for
  std::string sessionRefusal;  // the service's word when it refused the session at start-up
  std::string logBookFailure;  // why the logbook copy was not renewed, shown for the run
  int32_t dxAlertEnabled = 0;
  int32_t stationAlertEnabled = 0;
  std::string errorText;
  WorkedList worked;
  ConfirmedList confirmed;
  ConfirmedBands confirmedBands;
  LookupCache cache;
  CallTable callers;
  ScreenRows rows;
  std::array<float, kRateHistorySize + 1> cqRateHistory{};  // newest at 1
  std::string allTxtPath;
  int64_t allTxtPosition = 0;
  DecodeFileTrack allTxtTrack;
  WsjtxLogTrack wsjtxLogTrack;
  int32_t startSeconds = 0;
  int32_t totalCQs = 0;
  int32_t periodCQs = 0;
  int32_t qrzLookups = 0;
  std::string lastDecodeStamp;
  std::string dialFrequency;
  int32_t newRowsEnd = 0;
  int32_t workedRefreshToggle = 0;
};

// Makes room for this many calls at once: a list grown a call at a time copies its calls and
// fills its table again at every doubling.
void ReserveWorked(WorkedList& worked, size_t calls);
inline size_t WorkedCount(const WorkedList& worked) { return worked.ends.size(); }
// The call at a position of the list, 0 the first worked.
std::string_view WorkedCall(const WorkedList& worked, size_t position);
// Every call of the list, in order.
std::vector<std::string> WorkedCalls(const WorkedList& worked);
// Adds call unless the list holds it already (then its bands join those it has); true when added.
bool AddWorked(WorkedList& worked, std::string_view call, BandSet bands = kEveryBand);
// Calls on their way into a worked list, a few dozen at a time: a log's reader finds them one
// record apart, and their places in a large list are fetched from memory together, not in turn.
inline constexpr size_t kWorkedBatchSize = 32;
struct WorkedBatch {
  std::string calls;                            // one after another
  std::array<uint32_t, kWorkedBatchSize> ends;  // where each ends in calls
  std::array<BandSet, kWorkedBatchSize> bands;
  size_t count = 0;
};
// Adds call as AddWorked does, once the batch is full or added whole.
void AddWorkedSoon(WorkedList& worked, WorkedBatch& batch, std::string_view call, BandSet bands);
// Adds the batch's calls in their order, as AddWorked would one by one, and empties it.
void AddWorkedBatch(WorkedList& worked, WorkedBatch& batch);
bool IsWorked(const WorkedList& worked, std::string_view call);
// Worked on that band; on any band for kNoBand.
bool IsWorkedOnBand(const WorkedList& worked, std::string_view call, int band);
