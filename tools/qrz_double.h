// A local stand-in for the QRZ XML interface and logbook API, for the tests and the demo.
// It listens on 127.0.0.1 only and answers as the real services do.
#pragma once

#include <httplib.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// kRefuse: the address QrzDoubleUrl hands out is one where nothing listens. kSlowGateway: a
// gateway's 504 after gatewaySeconds. kTrickle: a reply of one byte every trickleMilliseconds,
// never too slow for the no-progress limit.
enum class QrzFault { kNone, kStall, kGarbage, kHttpError, kRefuse, kSlowGateway, kTrickle };

// The logbook reply's shapes, all seen from the real service.
enum class LogbookShape {
  kResultLast,   // COUNT=n&ADIF=...<eor>\n\n&RESULT=OK
  kResultFirst,  // RESULT=OK&COUNT=n&ADIF=...
  kStatus,       // STATUS=OK&COUNT=n&ADIF=...&EXTENDED=
};

struct QrzDoubleOptions {
  std::string stationsPath;  // the station table (qrz_stations.txt)
  std::string logbookPath;   // the logbook (qrz_logbook.txt)
  std::string account = "N0VANE";
  std::string password = "vane-demo";
  std::string logbookKey = "A1B2-C3D4-E5F6-0789";
  // An account without an XML subscription: its session says so, its records are reduced.
  std::string freeAccount = "N0FREE";
  std::string freePassword = "vane-free";
  int expireAfter = 0;    // lookups on one key before it times out; 0 never
  int lookupLimit = 0;    // lookups a day before every lookup is refused, whatever the key; 0 none
  int stallSeconds = 35;  // longer than the client waits
  int gatewaySeconds = 2;
  int trickleMilliseconds = 1000;
  LogbookShape logbookShape = LogbookShape::kResultLast;
};

using StationElements = std::vector<std::pair<std::string, std::string>>;
// Stations by the call asked for, in upper case.
using StationTable = std::map<std::string, StationElements>;

struct QrzDouble {
  QrzDoubleOptions options;
  httplib::Server server;
  std::thread thread;
  int port = 0;
  int refusingPort = 0;  // a port on this machine where nothing listens
  StationTable stations;
  std::vector<std::string> logbook;                 // plain ADIF records
  std::atomic<QrzFault> fault{QrzFault::kNone};
  std::mutex mutex;  // guards what follows
  std::string key;
  bool freeKey = false;  // the key is the account's without a subscription
  int lookupsToday = 0;
  std::vector<std::string> expiredKeys;
  int keysIssued = 0;
  int lookupsOnKey = 0;
  std::vector<std::string> requests;  // every request target, in order
  std::string canned;                 // when set, the body of every answer
};

// The station table of a data file such as tools/qrz_stations.txt; empty when unreadable.
// "\xE9" in a value stands for that byte: a record in ISO-8859-1, as some real ones are.
StationTable ReadStationTable(const std::string& path);
// The value of one element of a station, empty when it has none.
std::string ElementOf(const StationElements& elements, const std::string& name);
// Options that serve the stations and logbook kept beside the double in tools/.
QrzDoubleOptions DemoDataOptions();
// Loads the data files and starts serving on port (0: a free one). False when it cannot.
bool StartQrzDouble(QrzDouble& service, const QrzDoubleOptions& options, int port = 0);
// Stops serving: connections are refused from then on.
void StopQrzDouble(QrzDouble& service);
// The double's address; with the kRefuse fault, one where every connection is refused.
std::string QrzDoubleUrl(const QrzDouble& service);
// The logbook as the logbook API sends it: "<" and ">" escaped, "/" in calls written "_".
std::string EscapedLogbook(const std::vector<std::string>& records);
