// The decode parser: new lines of ALL.TXT to the callers of one poll.
#include "monitor/decodes.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "common/errors.h"
#include "common/files.h"
#include "common/text.h"
#include "monitor/globals.h"
#include "platform/console.h"

namespace {

constexpr int kMessageColumn = 49;
constexpr int kCallColumn = 52;
constexpr int kDirectionColumn = 25;  // "Rx" or "Tx"
constexpr char kCtrlZ = 26;
const std::string kUnresolvedHash = "<...>";

struct PollLines {
  std::string bytes;                   // what was read; the lines point into it
  std::vector<std::string_view> lines;
  std::string_view lastField;          // the last whole field read, trimmed
  int64_t resumePosition = 0;          // where the next poll starts, counted from 1
};

std::string_view TrimmedView(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void ReportOpenFailure(const std::string& allTxtPath, int errorNumber, std::string& errorText) {
  errorText = ErrorReport(errorNumber);
  ConsolePrintText(errorText + " " + allTxtPath);
  ConsoleNewLine();
  ConsolePressAnyKey();
}

// Where the bytes that end a field stand: LF is met on every line, so it is looked for line
// by line; CR, comma and Ctrl-Z are rare, so each is looked for once across the whole read
// and its next place kept.
struct FieldEnds {
  std::string_view bytes;
  size_t next[3] = {0, 0, 0};  // the next CR, comma, Ctrl-Z at or after `from`; size when none
  bool known[3] = {false, false, false};

  size_t NextOf(int which, char end, size_t from) {
    if (!known[which] || next[which] < from) {
      const void* found = std::memchr(bytes.data() + from, end, bytes.size() - from);
      next[which] = found ? static_cast<size_t>(static_cast<const char*>(found) - bytes.data()) : bytes.size();
      known[which] = true;
    }
    return next[which];
  }

  // The offset of the next byte that ends a field from `from`; npos when none does.
  size_t After(size_t from) {
    if (from >= bytes.size()) return std::string_view::npos;
    const void* lf = std::memchr(bytes.data() + from, '\n', bytes.size() - from);
    size_t end = lf ? static_cast<size_t>(static_cast<const char*>(lf) - bytes.data()) : bytes.size();
    end = std::min({end, NextOf(0, '\r', from), NextOf(1, ',', from), NextOf(2, kCtrlZ, from)});
    return end < bytes.size() ? end : std::string_view::npos;
  }
};

// Splits whole fields out of bytes, which start at file offset `offset`. The decoder appends
// while we read: a last line without its line end is left for the next poll. A Ctrl-Z ends a
// line like a line end, so nothing written after one is lost.
void SplitFields(std::string_view bytes, int64_t offset, bool skipFirstPart, PollLines& poll) {
  FieldEnds ends{bytes};
  size_t start = 0;
  for (size_t end = ends.After(0); end != std::string_view::npos; end = ends.After(start)) {
    std::string_view field = TrimmedView(bytes.substr(start, end - start));
    if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
    start = end + 1;
    poll.resumePosition = offset + static_cast<int64_t>(start);
    if (skipFirstPart) {  // the tail of a line cut by the size bound
      skipFirstPart = false;
      continue;
    }
    poll.lastField = field;
    if (!field.empty()) poll.lines.push_back(field);
  }
}

// Reads from the last byte seen (normally the line end of the last line, an empty field),
// at most the newest kMaxPollBytes.
PollLines ReadNewLines(TextFile& file, int64_t allTxtPosition, int64_t size) {
  PollLines poll;
  poll.resumePosition = allTxtPosition;
  int64_t from = allTxtPosition > 1 ? allTxtPosition - 1 : 0;
  bool cut = size - from > kMaxPollBytes;
  if (cut) from = size - kMaxPollBytes;
  ReadOpenFileAt(file.handle, from, size - from, poll.bytes);
  SplitFields(poll.bytes, from, cut, poll);
  return poll;
}

void NoteStampAndFrequency(std::string_view lastField, std::string& lastDecodeStamp, std::string& dialFrequency) {
  lastDecodeStamp = std::string(lastField.substr(0, 13));
  std::string frequency(TrimmedView(lastField.substr(std::min<size_t>(17, lastField.size()), 6)));
  if (!frequency.empty() && frequency != dialFrequency) {
    ConsoleClear();  // a band change starts a fresh screen
    dialFrequency = frequency;
  }
}


// The operator's own traffic and the ends of contacts.
bool IsDropped(const std::string& line, const std::string& myCall) {
  return Right(line, 2) == "73" || Contains(line, myCall + " " + glb_MyGrid) || Contains(line, "CQ " + myCall) ||
         Contains(line, myCall + " +") || Contains(line, myCall + " -") || Contains(line, myCall + " R-") ||
         Contains(line, myCall + " R+");
}

// True when there was room for the caller.
bool AddCaller(CallTable& callTable, const std::string& call, CallerKind kind) {
  if (call.empty() || call == kUnresolvedHash || callTable.count >= kCallTableSize) return false;
  ++callTable.count;
  callTable.entry[callTable.count] = CallEntry{call, kind};
  return true;
}

bool IsQualityMark(const std::string& word) {
  return word == "?" || (word.size() == 2 && word[0] == 'a' && word[1] >= '1' && word[1] <= '9');
}

std::string WithoutQualityMarks(std::string message) {
  for (;;) {
    message = TrimBlanks(message);
    size_t space = message.find_last_of(' ');
    if (space == std::string::npos || !IsQualityMark(message.substr(space + 1))) return message;
    message.erase(space);
  }
}

// "W9AAA RR73; K1XYZ <W0ABC> -08" carries two messages from the Fox: RR73 to W9AAA and a
// report to K1XYZ. The part for myCall is the one that concerns us.
std::string FoxHoundPart(const std::string& message, const std::string& myCall) {
  size_t split = message.find("; ");
  if (split == std::string::npos) return message;
  std::string first = message.substr(0, split), rest = message.substr(split + 2);
  bool forMeFirst = !myCall.empty() && Contains(first, myCall) && !Contains(rest, myCall);
  return forMeFirst ? first : rest;
}

// "<W0ABC/P>" is W0ABC/P; "<...>" (a hash WSJT-X could not resolve) stays as it is.
std::string WithoutHashBrackets(const std::string& message) {
  std::string result, word;
  for (size_t i = 0; i <= message.size(); ++i) {
    if (i < message.size() && message[i] != ' ') {
      word += message[i];
      continue;
    }
    if (word.size() > 2 && word.front() == '<' && word.back() == '>' && word != kUnresolvedHash)
      word = word.substr(1, word.size() - 2);
    result += word;
    if (i < message.size()) result += ' ';
    word.clear();
  }
  return result;
}

// The line with its message as the tests of a poll need it: without WSJT-X's quality marks
// (" a1" to " a9", " ?"), a Fox/Hound message cut to the part that names myCall, and hashed
// calls without their brackets.
std::string PlainMessageLine(const std::string& line, const std::string& myCall) {
  if (line.size() < kMessageColumn) return line;
  // Most messages carry no mark, no hash and no second part: they stand as they are.
  char last = line.back();
  bool marked = last == '?' || (last >= '1' && last <= '9' && line.size() >= 2 && line[line.size() - 2] == 'a');
  if (!marked && last != ' ' && line.find('<', kMessageColumn - 1) == std::string::npos &&
      line.find(';', kMessageColumn - 1) == std::string::npos)
    return line;
  std::string message = WithoutQualityMarks(line.substr(kMessageColumn - 1));
  return line.substr(0, kMessageColumn - 1) + WithoutHashBrackets(FoxHoundPart(message, myCall));
}

// Only a line that names the operator or reads CQ can add a caller: the rest of a busy band's
// traffic is passed over before any copy is made.
bool MayAddCaller(std::string_view line, const std::string& myCall) {
  if (line.substr(std::min<size_t>(kDirectionColumn - 1, line.size()), 2) == "Tx") return false;  // the operator's own
  if (line.substr(std::min<size_t>(kMessageColumn - 1, line.size()), 2) == "CQ") return true;
  return !myCall.empty() && line.find(myCall) != std::string_view::npos;
}

void TakeCaller(std::string_view decoded, CallTable& callTable, int32_t& totalCQs, int32_t& periodCQs) {
  const std::string& myCall = glb_QRZAccountName;
  if (!MayAddCaller(decoded, myCall)) return;
  std::string line = PlainMessageLine(std::string(decoded), myCall);
  std::string call;
  if (!myCall.empty() && Contains(line, myCall)) {
    if (IsDropped(line, myCall)) return;
    // With the operator's call turned into "CQ", the caller stands where a CQ caller would.
    ExtractCallsign(ReplaceAll(line, myCall, "CQ"), call);
    AddCaller(callTable, call, CallerKind::kCallingMe);
    return;
  }
  if (Mid(line, kMessageColumn, 2) != "CQ") return;
  ExtractCallsign(line, call);
  if (AddCaller(callTable, call, CallerKind::kCq)) {
    ++totalCQs;
    ++periodCQs;
  }
}

}  // namespace

void ExtractCallsign(const std::string& line, std::string& callsign) {
  callsign.clear();
  int spaces = 0;
  for (size_t i = kCallColumn - 1; i < line.size(); ++i) {
    if (line[i] != ' ') {
      callsign += line[i];
      continue;
    }
    ++spaces;
    // A word of three characters or fewer after CQ is a direction such as DX: skip it.
    if ((spaces == 1 || spaces == 2) && callsign.size() > 3) return;
    if (spaces == 1) callsign.clear();
  }
}

void NoteDecodeFileEnd(const std::string& allTxtPath, int64_t& allTxtPosition, DecodeFileTrack& track) {
  track = DecodeFileTrack{};
  allTxtPosition = 0;
  TextFile file;
  if (!OpenForReading(file, allTxtPath, FileShare::kReadWrite)) return;
  allTxtPosition = FileSize(file);
  track.mark = MarkOf(file, allTxtPosition);
  CloseFile(file);
}

void ReadDecodes(const std::string& allTxtPath, int64_t& allTxtPosition, CallTable& callTable,
                 std::string& lastDecodeStamp, int32_t& totalCQs, int32_t& periodCQs,
                 std::string& dialFrequency, std::string& errorText, DecodeFileTrack& track) {
  errorText.clear();
  callTable = CallTable{};
  TextFile file;
  if (!OpenForReading(file, allTxtPath, FileShare::kReadWrite)) {
    if (!track.mark.identity.known && !track.waiting) {  // never there: a wrong folder
      ReportOpenFailure(allTxtPath, file.error, errorText);
      return;
    }
    track = DecodeFileTrack{};  // WSJT-X erased it; its next decode makes it anew
    track.waiting = true;
    allTxtPosition = 0;
    lastDecodeStamp.clear();
    return;
  }
  int64_t size = FileSize(file);
  FileMark now = MarkOf(file, size);
  // Erased and refilled, rotated, or renamed in: another file, a shorter one, or other first bytes.
  bool anotherFile = track.mark.identity.known && !OnlyGrew(track.mark, now, size, allTxtPosition);
  if (anotherFile || track.waiting) allTxtPosition = 0;
  track = DecodeFileTrack{now, false};
  PollLines poll = ReadNewLines(file, allTxtPosition, size);
  CloseFile(file);
  NoteStampAndFrequency(poll.lastField, lastDecodeStamp, dialFrequency);
  allTxtPosition = poll.resumePosition;
  for (std::string_view line : poll.lines) TakeCaller(line, callTable, totalCQs, periodCQs);
}
