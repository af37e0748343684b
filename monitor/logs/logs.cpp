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

bool IsWorkedMode(const std::string& line) {
  return HoldsField(line, "<mode:", "3>FT8") || HoldsField(line, "<mode:", "4>JT65");
}

}  // namespace

std::string LogBookCopyName() { return glb_QRZAccountName + ".adi.txt"; }

std::string WsjtxLogPath() {
  return FindFileIgnoringCase(JoinPath(LocalAppDataFolder(), "WSJT-X"), "WSJTX_log.adi");
}

void MergeWsjtxWorked(WorkedList& workedList, std::string& errorText) {
  ReloadWsjtxWorked(workedList, errorText);
  if (!errorText.empty()) ShowUntilKey(errorText);
}

void ReloadWsjtxWorked(WorkedList& workedList, std::string& errorText) {
  errorText.clear();
  TextFile file;
  if (!OpenForReading(file, WsjtxLogPath(), FileShare::kReadWrite)) {
    errorText = ErrorReport(file.error) + "READWSJT";
    return;
  }
  std::string line, call;
  while (ReadLine(file, line))
    if (CallField(line, call)) AddWorked(workedList, call);
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
  std::string call;
  while (ReadLine(file, line))
    if (IsWorkedMode(line) && CallField(line, call)) AddWorked(workedList, call);
  CloseFile(file);
}

void LoadConfirmedDX(ConfirmedList& confirmedList, std::string& errorText) {
  errorText.clear();
  confirmedList.clear();
  TextFile file;
  if (!OpenForReading(file, LogBookCopyName(), FileShare::kExclusive)) return;
  std::string line;
  ReadLine(file, line);  // the download's time stamp
  while (ReadLine(file, line)) {
    if (!HoldsField(line, "<app_qrzlog_status:", "1>C")) continue;
    std::string dxcc = DxccFieldValue(line);
    if (dxcc.empty()) continue;
    int32_t entity = TextToWholeNumber(dxcc);
    if (std::find(confirmedList.begin(), confirmedList.end(), entity) == confirmedList.end())
      confirmedList.push_back(entity);
  }
  CloseFile(file);
}
