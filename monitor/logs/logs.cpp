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

}  // namespace

std::string LogBookCopyName() { return glb_QRZAccountName + ".adi.txt"; }

std::string WsjtxLogPath() {
  return FindFileIgnoringCase(JoinPath(LocalAppDataFolder(), "WSJT-X"), "WSJTX_log.adi");
}

void MergeWsjtxWorked(WorkedList& workedList, std::string& errorText, WsjtxLogTrack& track) {
  ReloadWsjtxWorked(workedList, errorText, track);
  if (!errorText.empty()) ShowUntilKey(errorText);
}

void ReloadWsjtxWorked(WorkedList& workedList, std::string& errorText, WsjtxLogTrack& track) {
  errorText.clear();
  TextFile file;
  if (!OpenForReading(file, WsjtxLogPath(), FileShare::kReadWrite)) {
    errorText = ErrorReport(file.error) + "READWSJT";
    return;
  }
  int64_t size = FileSize(file);
  FileMark mark = MarkOf(file, size);
  int64_t from = OnlyGrew(track.mark, mark, size, track.end) ? track.end : 0;
  track = WsjtxLogTrack{mark, from};
  if (from < size && SeekOpenFile(file.handle, from)) {
    std::string_view call;
    ForEachLine(file, [&](std::string_view line, int64_t end) {
      if (CallFieldOf(line, call)) AddWorked(workedList, call);
      if (end >= 0) track.end = end;  // a last line still being written is read again next time
    });
  }
  CloseFile(file);
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
  ForEachLine(file, [&](std::string_view record, int64_t) {
    RecordFields fields = ScanRecord(record);
    if (fields.workedMode && fields.hasCall) AddWorked(workedList, fields.call);
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
    if (std::find(confirmedList.begin(), confirmedList.end(), entity) == confirmedList.end())
      confirmedList.push_back(entity);
  });
  CloseFile(file);
}
