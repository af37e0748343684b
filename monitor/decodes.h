// Following the WSJT-X decode file: the callers of each poll.
#pragma once

#include <cstdint>
#include <string>

#include "monitor/state.h"

// Reads the lines appended since allTxtPosition (counted from 1) into callTable: CQ callers
// and stations calling the operator. An incomplete last line is left for the next poll.
// On failure to open the file, reports it, waits for a key and sets errorText.
void ReadDecodes(const std::string& allTxtPath, int64_t& allTxtPosition, CallTable& callTable,
                 std::string& lastDecodeStamp, int32_t& totalCQs, int32_t& periodCQs,
                 std::string& dialFrequency, std::string& errorText);
// The caller's callsign in a message that reads "CQ " from column 49.
void ExtractCallsign(const std::string& line, std::string& callsign);
