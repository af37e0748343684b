// Readers of the two ADIF logs.
#include "monitor/logs/logs.h"

#include <algorithm>

#include "common/errors.h"
#include "common/files.h"
#include "common/text.h"
#include "monitor/globals.h"
#include "monitor/logs/adif.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/files.h"

namespace {

void ShowUntilKey(const std::string& errorText) {
  ConsolePrintLine(errorText);
  ConsolePressAnyKey();
}

// Adds what the log holds beyond what track says was read; the run-time error number of a log
// that cannot be opened, 0 when read.
int ReadWsjtxLog(WorkedList& workedList, WsjtxLogTrack& track) {
  TextFile file;
  if (!OpenForReading(file, WsjtxLogPath(), FileShare::kReadWrite)) return file.error;
  int64_t size = FileSize(file);
  FileMark mark = MarkOf(file, size);
  int64_t from = OnlyGrew(track.mark, file, mark) ? track.end : 0;
  track = WsjtxLogTrack{mark, from};
  if (from < size && SeekOpenFile(file.handle, from)) {
    std::string_view call;
    ForEachLine(file, [&](std::string_view line, int64_t end) {
      // A last record still being written (no line end, no <eor> yet) is read whole next time.
      if (end < 0 && !EndsRecord(line)) return;
      if (CallFieldOf(line, call)) AddWorked(workedList, call);
      if (end >= 0) track.end = end;
    });
  }
  return 0;
}

}  // namespace

std::string LogBookCopyName() { return glb_QRZAccountName + ".adi.txt"; }

std::string WsjtxLogPath() {
  return FindFileIgnoringCase(JoinPath(LocalAppDataFolder(), "WSJT-X"), "WSJTX_log.adi");
}

void MergeWsjtxWorked(WorkedList& workedList, std::string& errorText, WsjtxLogTrack& track) {
  errorText.clear();
  int errorNumber = ReadWsjtxLog(workedList, track);
  // WSJT-X makes its log when the first contact is logged: a new install has none yet.
  if (errorNumber == kFileNotFound) {
    ConsolePrintText("WSJT-X has logged no contact yet (no " + WsjtxLogPath() + "): it is read when it appears");
    ConsoleNewLine();
  } else if (errorNumber != 0) {
    errorText = ErrorReport(errorNumber) + "READWSJT";
    ShowUntilKey(errorText);
  }
}

void ReloadWsjtxWorked(WorkedList& workedList, std::string& errorText, WsjtxLogTrack& track) {
  errorText.clear();
  int errorNumber = ReadWsjtxLog(workedList, track);
  if (errorNumber != 0) errorText = ErrorReport(errorNumber) + "READWSJT";
}

void LoadQrzWorked(WorkedList& workedList, std::string& errorText) {
  errorText.clear();
  TextFile file;
  OpenForReading(file, LogBookCopyName(), FileShare::kReadWrite);
  std::string line;
  // A missing copy fails here too, as a read from a file that is not open (52).
  if (!ReadLine(file, line)) {
    errorText = NumberToText(file.error) + " Error in ReadingADILog";
    CloseFile(file);
    ShowUntilKey(errorText);
    return;
  }
  workedList = WorkedList{};
  std::string call;
  ForEachLine(file, [&](std::string_view record, int64_t) {
    RecordFields fields = ScanRecord(record);
    if (!fields.workedMode || !fields.hasCall) return;
    // QRZ writes the slash of a portable call as "_": W7XYZ_P is W7XYZ/P.
    if (fields.call.find('_') == std::string_view::npos) {
      AddWorked(workedList, fields.call);
      return;
    }
    call.assign(fields.call);
    std::replace(call.begin(), call.end(), '_', '/');
    AddWorked(workedList, call);
  });
  CloseFile(file);
}

void LoadConfirmedDX(ConfirmedList& confirmedList, std::string& errorText) {
  errorText.clear();
  confirmedList.clear();
  TextFile file;
  if (!OpenForReading(file, LogBookCopyName(), FileShare::kExclusive)) return;
  std::string line;
  ReadLine(file, line);  // the download's time stamp
  ForEachLine(file, [&](std::string_view record, int64_t) {
    RecordFields fields = ScanRecord(record);
    if (!fields.confirmed || fields.dxcc.empty()) return;
    int32_t entity = TextToWholeNumber(std::string(fields.dxcc));
    if (entity <= 0) return;  // 0 is no entity: a contact at sea (/MM) confirms none
    if (std::find(confirmedList.begin(), confirmedList.end(), entity) == confirmedList.end())
      confirmedList.push_back(entity);
  });
  CloseFile(file);
}
