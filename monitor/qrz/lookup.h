// Looking up one callsign at the QRZ XML interface.
#pragma once

#include <string>

#include "platform/download.h"

inline constexpr const char* kCallNotFound = "Call Not Found";
inline constexpr const char* kCutShortReply = "the QRZ reply was cut short";

// The station as the service describes it; fields whose element is missing stay empty.
// Texts are as sent (bytes, UTF-8 or ISO-8859-1), blanks stripped, XML references decoded.
struct StationRecord {
  std::string call, name_fmt, fname, name, addr1, addr2, state, zip, dxcc, country, ccode, lat, lon, grid, county, fips,
      land, efdate, expdate, class_, email, cqzone, ituzone;
  std::string bearing;   // whole degrees from the operator, " 301"; empty without a position
  std::string distance;  // whole statute miles, " 4783"
};

enum class LookupResult {
  kStation,      // the reply described the station
  kNotFound,     // the service does not know the call
  kFailed,       // no station came (a reply without one, or cut short): ask again later
  kRenewed,      // the session was renewed instead: ask again later
  kServiceDown,  // out of reach, an HTTP error, a session that could not be renewed, or an error
                 // after a renewal: ask nothing more this period
};

// The station's fields from a lookup reply, with bearing and distance when it has a position.
void StationFromReply(const std::string& reply, StationRecord& record);
// Fills record for callsign. When the reply names the call, callsign takes the service's
// form. errorText: "Call Not Found", or what went wrong when the lookup failed. A service
// error renews the session only when mayRenew (once a period). limits: the reply's time and size.
LookupResult LookupCallsign(std::string& callsign, StationRecord& record, std::string& errorText, bool mayRenew = true,
                            const DownloadLimits& limits = kSmallReplyLimits);
