// Following WSJT-X's decode file from one poll to the next: which file it writes now, where the
// last poll stopped, and what a file renamed away, erased or replaced still held.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/state.h"

inline constexpr int64_t kMaxPollBytes = 1 << 20;  // a poll reads at most the newest megabyte
// A file never seen before that holds more than a poll's decodes can bring (WSJT-X stops at 200
// a period) was not begun by the decoder since the last look: an archive copied in.
inline constexpr int64_t kFreshFileBytes = 64 << 10;

// Whole fields read by one poll; the lines point into bytes.
struct PollLines {
  std::string bytes;
  std::vector<std::string_view> lines;
  std::string_view lastField;  // the last whole field read, trimmed
  bool sawField = false;
  int64_t resumePosition = 0;  // where the next poll starts, counted from 1
};

// ALL.TXT, or what WSJT-X 2.7 and later can write instead: 2026-ALL.TXT, 2026-12-ALL.TXT.
bool IsDecodeFileName(const std::string& name);
// Hands take the lines appended since allTxtPosition to the file WSJT-X writes now (the last
// lines of a file it left come first). The file followed keeps its place under a new name; a
// file that was there at the last look is read from where it ended then; only a file never
// seen before is read from its start. While there is no decode file (nor WSJT-X's folder),
// track.waiting is set and track.notice says what is waited for. errorText is always emptied.
void FollowDecodeFile(const std::string& allTxtPath, int64_t& allTxtPosition, DecodeFileTrack& track,
                      std::string& errorText, const std::function<void(const PollLines&)>& take);
// Notes where the decode files end now, so that only lines appended later are shown.
void NoteDecodeFileEnd(const std::string& allTxtPath, int64_t& allTxtPosition, DecodeFileTrack& track);
