// Looking up one callsign at the QRZ XML interface.
#pragma once

#include <string>

inline constexpr const char* kCallNotFound = "Call Not Found";

// The station as the service describes it; fields whose element is missing stay empty.
// Texts are as sent, blanks stripped, entities not decoded.
struct StationRecord {
  std::string call, name_fmt, addr1, addr2, state, zip, dxcc, country, ccode, lat, lon, grid, county, fips,
      land, efdate, expdate, class_, email, cqzone, ituzone;
  std::string bearing;   // whole degrees from the operator, " 301"; empty without a position
  std::string distance;  // whole statute miles, " 4783"
};

// Fills record for callsign. When the reply names the call, callsign takes the service's
// form. errorText: "Call Not Found", or after a failed renewal of the session its message.
void LookupCallsign(std::string& callsign, StationRecord& record, std::string& errorText);
