// Station rows and separators of the table, each row ending in its two-character status code.
#pragma once

#include <string>

#include "monitor/state.h"

inline constexpr int kRowTextWidth = 130;  // what the screen shows of a row
inline constexpr const char* kNotFoundName = "Call Sign Not Found!";
inline constexpr const char* kLookupFailedName = "QRZ lookup failed";

// Status codes, in the last two characters of a station row.
inline constexpr const char* kWorkedBefore = "01";
inline constexpr const char* kHomeOrNotFound = "02";
inline constexpr const char* kConfirmedDx = "03";
inline constexpr const char* kUnconfirmedDx = "04";
inline constexpr const char* kCallingMe = "98";
inline constexpr const char* kNewBand = "05";  // by band: an entity confirmed on other bands only

// Classing by band slot (dxvane --by-band): the band of the rows and the bands each confirmed
// entity has. Without confirmedBands, or off the bands, rows are classed band-blind.
struct BandClass {
  const ConfirmedBands* confirmedBands = nullptr;
  int band = kNoBand;
};

// Puts a row per caller of callTable on top of screenRows, then a separator naming the
// time stamp and band. An empty lastDecodeStamp becomes 13 blanks.
// byBandSlots classes the rows on the band of dialFrequency.
void RenderRows(const CallTable& callTable, ScreenRows& screenRows, const LookupCache& lookupCache,
                const ConfirmedList& confirmedList, const WorkedList& workedList, std::string& lastDecodeStamp,
                const std::string& dialFrequency, const ConfirmedBands* byBandSlots = nullptr);
// The 132-character row of one cache entry (station text fitted by characters, as UTF-8).
std::string StationRow(const CacheEntry& station, CallerKind kind, const ConfirmedList& confirmedList,
                       const WorkedList& workedList, const BandClass& byBand = {});
std::string StatusCode(const CacheEntry& station, CallerKind kind, const ConfirmedList& confirmedList,
                       const WorkedList& workedList, const BandClass& byBand = {});
// The band of a dial frequency as the decode file writes it ("14.074"); kNoBand when none.
int BandOfDialFrequency(const std::string& dialFrequency);
// "[", the stamp, and the band ending such as "  20m]" (or just "]" off the bands).
std::string BandLabel(const std::string& stamp, const std::string& dialFrequency);
std::string SeparatorRow(const std::string& stamp, const std::string& dialFrequency);
