// The decode parser: the callers of each poll in the lines WSJT-X appended.
#pragma once

#include <cstdint>
#include <string>

#include "monitor/decode_file.h"
#include "monitor/state.h"

// Reads the lines appended since allTxtPosition (counted from 1) into callTable: CQ callers
// and stations calling the operator, followed as FollowDecodeFile says.
void ReadDecodes(const std::string& allTxtPath, int64_t& allTxtPosition, CallTable& callTable,
                 std::string& lastDecodeStamp, int32_t& totalCQs, int32_t& periodCQs,
                 std::string& dialFrequency, std::string& errorText, DecodeFileTrack& track);
// The caller's callsign in a message that reads "CQ " from column 49.
void ExtractCallsign(const std::string& line, std::string& callsign);
