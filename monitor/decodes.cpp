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
constexpr int kDirectionColumn = 25;  // "Rx" or "Tx"
constexpr size_t kFrequencyOffset = 13;  // "%10.3f": 144.174 MHz and up fill the whole field
constexpr size_t kFrequencyWidth = 10;
constexpr char kCtrlZ = 26;
const std::string kUnresolvedHash = "<...>";
const std::string kDecodeFileName = "ALL.TXT";

struct PollLines {
  std::string bytes;                   // what was read; the lines point into it
  std::vector<std::string_view> lines;
  std::string_view lastField;          // the last whole field read, trimmed
  bool sawField = false;
  int64_t resumePosition = 0;          // where the next poll starts, counted from 1
};

// The callers of a poll before they go into the table.
struct PollCallers {
  std::vector<CallEntry> callingMe;
  std::vector<CallEntry> cqs;
  std::string lastField;  // of the last read that saw one
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
// by line; CR, comma, Ctrl-Z and NUL are rare, so each is looked for once across the whole
// read and its next place kept. NULs are what a crashed writer or a pre-allocated file leaves:
// they end a field like a line end, so the next real line is read.
struct FieldEnds {
  std::string_view bytes;
  size_t next[4] = {0, 0, 0, 0};  // the next CR, comma, Ctrl-Z, NUL at or after `from`; size when none
  bool known[4] = {false, false, false, false};

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
    end = std::min({end, NextOf(0, '\r', from), NextOf(1, ',', from), NextOf(2, kCtrlZ, from), NextOf(3, '\0', from)});
    return end < bytes.size() ? end : std::string_view::npos;
  }
};

void NoteField(std::string_view field, PollLines& poll) {
  poll.lastField = field;
  poll.sawField = true;
  if (!field.empty()) poll.lines.push_back(field);
}

// Splits whole fields out of bytes, which start at file offset `offset`. The decoder appends
// while we read: a last line without its line end is left for the next poll, unless the file
// is finished (whole). A Ctrl-Z ends a line like a line end, so nothing written after one is lost.
void SplitFields(std::string_view bytes, int64_t offset, bool skipFirstPart, bool whole, PollLines& poll) {
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
    NoteField(field, poll);
  }
  if (whole && start < bytes.size()) {
    NoteField(TrimmedView(bytes.substr(start)), poll);
    poll.resumePosition = offset + static_cast<int64_t>(bytes.size());
  }
}

// Reads from the last byte seen (normally the line end of the last line, an empty field),
// at most the newest kMaxPollBytes.
PollLines ReadNewLines(TextFile& file, int64_t allTxtPosition, int64_t size, bool whole) {
  PollLines poll;
  poll.resumePosition = allTxtPosition;
  int64_t from = allTxtPosition > 1 ? allTxtPosition - 1 : 0;
  bool cut = size - from > kMaxPollBytes;
  if (cut) from = size - kMaxPollBytes;
  ReadOpenFileAt(file.handle, from, size - from, poll.bytes);
  SplitFields(poll.bytes, from, cut, whole, poll);
  return poll;
}

void NoteStampAndFrequency(std::string_view lastField, std::string& lastDecodeStamp, std::string& dialFrequency) {
  lastDecodeStamp = std::string(lastField.substr(0, 13));
  std::string frequency(TrimmedView(lastField.substr(std::min(kFrequencyOffset, lastField.size()), kFrequencyWidth)));
  if (!frequency.empty() && frequency != dialFrequency) {
    ConsoleClear();  // a band change starts a fresh screen
    dialFrequency = frequency;
  }
}


using Words = std::vector<std::string_view>;

Words SplitWords(std::string_view text) {
  Words words;
  for (size_t at = 0; at < text.size();) {
    size_t end = std::min(text.find(' ', at), text.size());
    if (end > at) words.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

bool HasWord(const Words& words, std::string_view word) {
  return !word.empty() && std::find(words.begin(), words.end(), word) != words.end();
}

bool IsUpper(char c, char last) { return c >= 'A' && c <= last; }
bool IsLetter(char c) { return IsUpper(c, 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// FN42, or FN42AB: two letters A to R, two digits, then perhaps two letters A to X.
bool IsGridSquare(std::string_view word) {
  if (word.size() != 4 && word.size() != 6) return false;
  bool square = IsUpper(word[0], 'R') && IsUpper(word[1], 'R') && IsDigit(word[2]) && IsDigit(word[3]);
  return square && (word.size() == 4 || (IsUpper(word[4], 'X') && IsUpper(word[5], 'X')));
}

// Letters, digits and "/", with a letter and a digit: K2A, W1ABC/P, VE3/K1ABC; not POTA, DX,
// 290, a grid square, or RR73 (which is shaped like one).
bool IsCallsignShaped(std::string_view word) {
  bool letter = false, digit = false;
  for (char c : word) {
    if (!IsLetter(c) && !IsDigit(c) && c != '/') return false;
    letter = letter || IsLetter(c);
    digit = digit || IsDigit(c);
  }
  return word.size() >= 3 && letter && digit && !IsGridSquare(word);
}

// The caller after the first "CQ" (directions such as DX, POTA, TEST or 290 passed over) and
// the grid square it sent right after its call.
CallEntry CallerAfterCq(const Words& words) {
  CallEntry caller;
  auto at = std::find(words.begin(), words.end(), "CQ");
  if (at == words.end()) return caller;
  at = std::find_if(at + 1, words.end(), IsCallsignShaped);
  if (at == words.end()) return caller;
  caller.call = std::string(*at);
  if (at + 1 != words.end() && IsGridSquare(at[1]) && at[1] != "RR73") caller.grid = std::string(at[1]);
  return caller;
}

bool IsReport(std::string_view word) {
  if (word.size() >= 2 && word[0] == 'R') word.remove_prefix(1);
  return !word.empty() && (word[0] == '+' || word[0] == '-');
}

// The operator's own traffic and the ends of contacts: a last word 73 or RR73, his CQ, his call
// followed by his grid or by a report.
bool IsDropped(const Words& words, const std::string& myCall) {
  if (words.back() == "73" || words.back() == "RR73") return true;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] != myCall) continue;
    if (i > 0 && words[i - 1] == "CQ") return true;
    if (i + 1 == words.size()) continue;
    if ((!glb_MyGrid.empty() && words[i + 1] == glb_MyGrid) || IsReport(words[i + 1])) return true;
  }
  return false;
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
  bool forMeFirst = HasWord(SplitWords(first), myCall) && !HasWord(SplitWords(rest), myCall);
  return forMeFirst ? first : rest;
}

// "<W0ABC/P>" is W0ABC/P; "<...>" (a hash WSJT-X could not resolve) stays as it is.
std::string WithoutHashBrackets(const std::string& message) {
  std::string result;
  for (std::string_view word : SplitWords(message)) {
    if (word.size() > 2 && word.front() == '<' && word.back() == '>' && word != kUnresolvedHash)
      word = word.substr(1, word.size() - 2);
    if (!result.empty()) result += ' ';
    result += word;
  }
  return result;
}

// The message as the tests of a poll need it: without WSJT-X's quality marks (" a1" to " a9",
// " ?"), a Fox/Hound message cut to the part that names myCall, and hashed calls without
// their brackets.
std::string PlainMessage(std::string_view line, const std::string& myCall) {
  std::string message(line.substr(std::min<size_t>(kMessageColumn - 1, line.size())));
  // Most messages carry no mark, no hash and no second part: they stand as they are.
  char last = message.empty() ? ' ' : message.back();
  bool marked = last == '?' || (last >= '1' && last <= '9' && message.size() >= 2 && message[message.size() - 2] == 'a');
  if (!marked && message.find_first_of("<;") == std::string::npos) return message;
  return WithoutHashBrackets(FoxHoundPart(WithoutQualityMarks(message), myCall));
}

// Only a line that names the operator or reads CQ can add a caller: the rest of a busy band's
// traffic is passed over before any copy is made.
bool MayAddCaller(std::string_view line, const std::string& myCall) {
  if (line.substr(std::min<size_t>(kDirectionColumn - 1, line.size()), 2) == "Tx") return false;  // the operator's own
  if (line.substr(std::min<size_t>(kMessageColumn - 1, line.size()), 2) == "CQ") return true;
  return !myCall.empty() && line.find(myCall) != std::string_view::npos;
}

void TakeCaller(std::string_view decoded, PollCallers& callers) {
  const std::string& myCall = glb_QRZAccountName;
  if (!MayAddCaller(decoded, myCall)) return;
  std::string message = PlainMessage(decoded, myCall);
  Words words = SplitWords(message);
  if (HasWord(words, myCall)) {
    if (IsDropped(words, myCall)) return;
    // With the operator's call turned into "CQ", the caller stands where a CQ caller would.
    std::replace(words.begin(), words.end(), std::string_view(myCall), std::string_view("CQ"));
    CallEntry caller = CallerAfterCq(words);
    caller.kind = CallerKind::kCallingMe;
    if (!caller.call.empty()) callers.callingMe.push_back(std::move(caller));
    return;
  }
  if (words.empty() || words[0] != "CQ") return;
  CallEntry caller = CallerAfterCq(words);
  caller.kind = CallerKind::kCq;
  if (!caller.call.empty()) callers.cqs.push_back(std::move(caller));
}

void TakeCallers(const PollLines& poll, PollCallers& callers) {
  for (std::string_view line : poll.lines) TakeCaller(line, callers);
  if (poll.sawField) callers.lastField = std::string(poll.lastField);
}

// A busy period may bring more callers than the screen shows: those calling the operator come
// first, then the CQs in file order. Only the CQs that find room are counted.
void FillCallTable(const PollCallers& callers, CallTable& callTable, int32_t& totalCQs, int32_t& periodCQs) {
  for (const std::vector<CallEntry>* group : {&callers.callingMe, &callers.cqs}) {
    for (const CallEntry& caller : *group) {
      if (callTable.count >= kCallTableSize) return;
      callTable.entry[++callTable.count] = caller;
      if (caller.kind == CallerKind::kCq) {
        ++totalCQs;
        ++periodCQs;
      }
    }
  }
}

std::string FolderOf(const std::string& path) {
  size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? "." : path.substr(0, separator);
}

// ALL.TXT, or what WSJT-X 2.7 and later can write instead: 2026-ALL.TXT, 2026-12-ALL.TXT.
bool IsDecodeFileName(const std::string& name) {
  if (name == kDecodeFileName) return true;
  size_t dateLength = name.size() - std::min(name.size(), kDecodeFileName.size() + 1);
  if ((dateLength != 4 && dateLength != 7) || !EndsWith(name, "-" + kDecodeFileName)) return false;
  for (size_t i = 0; i < dateLength; ++i)
    if (!(i == 4 ? name[i] == '-' : IsDigit(name[i]))) return false;
  return true;
}

// The decode file WSJT-X writes now: the newest of ALL.TXT and the yearly and monthly files
// in its folder (at the turn of a month a new one appears); ALL.TXT when there is none.
std::string CurrentDecodeFile(const std::string& allTxtPath) {
  std::string folder = FolderOf(allTxtPath);
  const FolderEntry* newest = nullptr;
  std::vector<FolderEntry> files = FilesInFolder(folder, IsDecodeFileName);
  for (const FolderEntry& file : files) {
    if (!newest || file.modified > newest->modified || (file.modified == newest->modified && file.name > newest->name))
      newest = &file;
  }
  if (!newest || newest->name == kDecodeFileName) return allTxtPath;
  return allTxtPath.substr(0, allTxtPath.size() - kDecodeFileName.size()) + newest->name;
}

std::string FileNameOf(const std::string& path) {
  size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// What the status row says while there is no decode file to read.
std::string WaitingNotice(const std::string& path, int errorNumber) {
  std::string notice = "Waiting for " + FileNameOf(path);
  std::string kind = OddFileKindOf(path);
  if (!kind.empty()) return notice + ": it is " + kind + ", not a file";
  return errorNumber == kFileNotFound ? notice : notice + ":" + ErrorReport(errorNumber);
}

// What the decoder wrote last into a file that was since renamed away, erased or replaced:
// ours still, through the handle kept open.
void ReadRestOfHeldFile(DecodeFileTrack& track, int64_t allTxtPosition, PollCallers& callers) {
  if (!track.file.handle) return;
  TakeCallers(ReadNewLines(track.file, allTxtPosition, FileSize(track.file), true), callers);
  CloseFile(track.file);
}

}  // namespace

void ExtractCallsign(const std::string& line, std::string& callsign) {
  callsign = CallerAfterCq(SplitWords(std::string_view(line).substr(std::min<size_t>(kMessageColumn - 1, line.size())))).call;
}

void NoteDecodeFileEnd(const std::string& allTxtPath, int64_t& allTxtPosition, DecodeFileTrack& track) {
  track = DecodeFileTrack{};
  allTxtPosition = 0;
  track.path = CurrentDecodeFile(allTxtPath);
  TextFile file;
  if (!OpenForReading(file, track.path, FileShare::kReadWrite)) return;
  allTxtPosition = FileSize(file);
  track.mark = MarkOf(file, allTxtPosition);
  if (MayHoldFollowedFiles()) track.file = std::move(file);
}

void ReadDecodes(const std::string& allTxtPath, int64_t& allTxtPosition, CallTable& callTable,
                 std::string& lastDecodeStamp, int32_t& totalCQs, int32_t& periodCQs,
                 std::string& dialFrequency, std::string& errorText, DecodeFileTrack& track) {
  errorText.clear();
  callTable = CallTable{};
  PollCallers callers;
  std::string path = CurrentDecodeFile(allTxtPath);
  TextFile file;
  if (!OpenForReading(file, path, FileShare::kReadWrite)) {
    bool everThere = track.mark.identity.known || track.waiting;
    if (file.error == kPathNotFound && !everThere) {  // no WSJT-X folder: a wrong folder
      ReportOpenFailure(path, file.error, errorText);
      return;
    }
    // Erased (WSJT-X makes it anew with its next decode) or not made yet on a new install.
    ReadRestOfHeldFile(track, allTxtPosition, callers);
    track = DecodeFileTrack{};
    track.waiting = true;
    track.notice = WaitingNotice(path, file.error);
    allTxtPosition = 0;
  } else {
    int64_t size = FileSize(file);
    FileMark now = MarkOf(file, size);
    // Erased and refilled, rotated, rewritten, or a newer yearly or monthly file: read from its start.
    if (track.path != path || !OnlyGrew(track.mark, file, now)) {
      if (track.mark.identity != now.identity) ReadRestOfHeldFile(track, allTxtPosition, callers);
      allTxtPosition = 0;
    }
    PollLines poll = ReadNewLines(file, allTxtPosition, size, false);
    allTxtPosition = poll.resumePosition;
    TakeCallers(poll, callers);
    track.path = path;
    track.mark = now;
    track.waiting = false;
    track.notice.clear();
    if (MayHoldFollowedFiles()) track.file = std::move(file);
  }
  NoteStampAndFrequency(callers.lastField, lastDecodeStamp, dialFrequency);
  FillCallTable(callers, callTable, totalCQs, periodCQs);
}
