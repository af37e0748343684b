// The decode parser: new lines of ALL.TXT to the callers of one poll.
#include "monitor/decodes.h"

#include <vector>

#include "common/errors.h"
#include "common/files.h"
#include "common/text.h"
#include "monitor/globals.h"
#include "platform/console.h"

namespace {

constexpr int kMessageColumn = 49;
constexpr int kCallColumn = 52;

struct PollLines {
  std::vector<std::string> lines;
  std::string lastField;      // the last whole field read, trimmed
  int64_t resumePosition = 0;  // where the next poll starts, counted from 1
};

void ReportOpenFailure(const std::string& allTxtPath, int errorNumber, std::string& errorText) {
  errorText = ErrorReport(errorNumber);
  ConsolePrintLine(errorText + " " + allTxtPath);
  ConsolePrintLine("Press Any Key to Continue");
  ConsoleWaitKey();
}

// Reads whole fields from the saved position. The decoder appends while we read: a last
// line without its line end is not taken now but read whole in the next poll.
PollLines ReadNewLines(TextFile& file, int64_t allTxtPosition) {
  PollLines poll;
  poll.resumePosition = allTxtPosition;
  SetReadPosition(file, allTxtPosition);
  std::string field;
  bool ended = false;
  while (ReadField(file, field, &ended) && ended) {
    poll.lastField = TrimBlanks(field);
    poll.resumePosition = ReadOffset(file);  // the position of the line end just read
    if (!poll.lastField.empty()) poll.lines.push_back(poll.lastField);
  }
  return poll;
}

void NoteStampAndFrequency(const std::string& lastField, std::string& lastDecodeStamp, std::string& dialFrequency) {
  lastDecodeStamp = Mid(lastField, 1, 13);
  std::string frequency = TrimBlanks(Mid(lastField, 18, 6));
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
  if (call.empty() || callTable.count >= kCallTableSize) return false;
  ++callTable.count;
  callTable.entry[callTable.count] = CallEntry{call, kind};
  return true;
}

void TakeCaller(const std::string& line, CallTable& callTable, int32_t& totalCQs, int32_t& periodCQs) {
  const std::string& myCall = glb_QRZAccountName;
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

void ReadDecodes(const std::string& allTxtPath, int64_t& allTxtPosition, CallTable& callTable,
                 std::string& lastDecodeStamp, int32_t& totalCQs, int32_t& periodCQs,
                 std::string& dialFrequency, std::string& errorText) {
  errorText.clear();
  callTable = CallTable{};
  TextFile file;
  if (!OpenForReading(file, allTxtPath, FileShare::kReadWrite)) {
    ReportOpenFailure(allTxtPath, file.error, errorText);
    return;
  }
  int64_t size = FileSize(file);
  if (size < allTxtPosition) {  // replaced or emptied: go on from its new end
    allTxtPosition = size;
    lastDecodeStamp.clear();
    CloseFile(file);
    return;
  }
  PollLines poll = ReadNewLines(file, allTxtPosition);
  CloseFile(file);
  NoteStampAndFrequency(poll.lastField, lastDecodeStamp, dialFrequency);
  allTxtPosition = poll.resumePosition;
  for (const std::string& line : poll.lines) TakeCaller(line, callTable, totalCQs, periodCQs);
}
