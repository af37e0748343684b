// The decode parser: new lines of ALL.TXT to the callers of one poll.
#include "monitor/decodes.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "monitor/globals.h"
#include "platform/console.h"

namespace {

constexpr int kMessageColumn = 49;
constexpr int kDirectionColumn = 25;  // "Rx" or "Tx"
constexpr size_t kFrequencyOffset = 13;  // "%10.3f": 144.174 MHz and up fill the whole field
constexpr size_t kFrequencyWidth = 10;
const std::string kUnresolvedHash = "<...>";

// The callers of a poll before they go into the table.
struct PollCallers {
  std::vector<CallEntry> callingMe;
  std::vector<CallEntry> cqs;
  std::string lastField;  // of the last read that saw one
};

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

// The operator's call as a word: itself, or a part of it signed portable (K1XYZ/P, PJ4/K1XYZ),
// hashed or not. K1AB is never part of K1ABC.
bool IsMyWord(std::string_view word, std::string_view myCall) {
  if (myCall.empty()) return false;
  if (word.size() > 2 && word.front() == '<' && word.back() == '>') word = word.substr(1, word.size() - 2);
  if (word == myCall) return true;
  if (word.size() <= myCall.size() || word.find('/') == std::string_view::npos) return false;
  for (size_t at = 0; at <= word.size();) {
    size_t end = std::min(word.find('/', at), word.size());
    if (word.substr(at, end - at) == myCall) return true;
    at = end + 1;
  }
  return false;
}

bool HasMyWord(const Words& words, std::string_view myCall) {
  return std::any_of(words.begin(), words.end(), [myCall](std::string_view word) { return IsMyWord(word, myCall); });
}

bool IsUpper(char c, char last) { return c >= 'A' && c <= last; }
bool IsLetter(char c) { return IsUpper(c, 'Z') || (c >= 'a' && c <= 'z'); }

// FN42, or FN42AB: two letters A to R, two digits, then perhaps two letters A to X.
bool IsGridSquare(std::string_view word) {
  if (word.size() != 4 && word.size() != 6) return false;
  bool square = IsUpper(word[0], 'R') && IsUpper(word[1], 'R') && IsDigit(word[2]) && IsDigit(word[3]);
  return square && (word.size() == 4 || (IsUpper(word[4], 'X') && IsUpper(word[5], 'X')));
}

// Letters, digits and "/", with a letter before the last group of digits: K2A, 4U1UN, 3DA0ET,
// W1ABC/P, VE3/K1ABC; not POTA, DX, 290, a Field Day class such as 12A, a grid square, or RR73
// (which is shaped like one).
bool IsCallsignShaped(std::string_view word) {
  for (char c : word)
    if (!IsLetter(c) && !IsDigit(c) && c != '/') return false;
  size_t digitsStart = 0, digitsEnd = 0;
  if (word.size() < 3 || !LastDigitRun(word, digitsStart, digitsEnd) || IsGridSquare(word)) return false;
  return std::any_of(word.begin(), word.begin() + static_cast<std::ptrdiff_t>(digitsStart), IsLetter);
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

// The end of a contact: a last word 73 or RR73. (The operator's own messages need no rule:
// after his call comes a grid or a report, never a caller.)
bool IsSignOff(const Words& words) { return words.back() == "73" || words.back() == "RR73"; }

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
  bool forMeFirst = HasMyWord(SplitWords(first), myCall) && !HasMyWord(SplitWords(rest), myCall);
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
  if (HasMyWord(words, myCall)) {
    if (IsSignOff(words)) return;
    // With the operator's call turned into "CQ", the caller stands where a CQ caller would.
    std::replace_if(words.begin(), words.end(), [&myCall](std::string_view word) { return IsMyWord(word, myCall); },
                    std::string_view("CQ"));
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

}  // namespace

void ExtractCallsign(const std::string& line, std::string& callsign) {
  callsign = CallerAfterCq(SplitWords(std::string_view(line).substr(std::min<size_t>(kMessageColumn - 1, line.size())))).call;
}

void ReadDecodes(const std::string& allTxtPath, int64_t& allTxtPosition, CallTable& callTable,
                 std::string& lastDecodeStamp, int32_t& totalCQs, int32_t& periodCQs,
                 std::string& dialFrequency, std::string& errorText, DecodeFileTrack& track) {
  callTable = CallTable{};
  PollCallers callers;
  FollowDecodeFile(allTxtPath, allTxtPosition, track, errorText,
                   [&callers](const PollLines& poll) { TakeCallers(poll, callers); });
  if (!errorText.empty()) return;
  NoteStampAndFrequency(callers.lastField, lastDecodeStamp, dialFrequency);
  FillCallTable(callers, callTable, totalCQs, periodCQs);
}
