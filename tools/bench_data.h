// Logs and replies of a decade's operating, for the benchmarks: nothing this large is kept in
// the repository, it is made when needed.
#pragma once

#include <string>

inline constexpr int kBenchContacts = 100000;

// Writes into folder: WSJT-X/wsjtx_log.adi (100,000 contacts, about 27 MB), N0VANE.adi.txt
// (the QRZ logbook copy of 100,000 records, about 84 MB) and QRZ_Data.tmp (the logbook API's
// reply of the same records, escaped, about 116 MB). Files already there are kept.
bool WriteBenchData(const std::string& folder);
