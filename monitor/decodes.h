// Following the WSJT-X decode file: the callers of each poll.
#pragma once

#include <cstdint>
#include <string>

#include "monitor/state.h"

inline constexpr int64_t kMaxPollBytes = 1 << 20;  // a poll reads at most the newest megabyte

// Reads the lines appended since allTxtPosition (counted from 1) into callTable: CQ callers
// and stations calling the operator. An incomplete last line is left for the next poll. A file
// erased, shortened or replaced since the last poll is read from its start. When the file is
// missing at the first look, reports it, waits for a key and sets errorText; when it goes away
// later (WSJT-X erases it), the poll reads nothing and track.waiting is set until it is back.
void ReadDecodes(const std::string& allTxtPath, int64_t& allTxtPosition, CallTable& callTable,
                 std::string& lastDecodeStamp, int32_t& totalCQs, int32_t& periodCQs,
                 std::string& dialFrequency, std::string& errorText, DecodeFileTrack& track);
// The caller's callsign in a message that reads "CQ " from column 49.
void ExtractCallsign(const std::string& line, std::string& callsign);
// Notes where the decode file ends now, so that only lines appended later are shown.
void NoteDecodeFileEnd(const std::string& allTxtPath, int64_t& allTxtPosition, DecodeFileTrack& track);
