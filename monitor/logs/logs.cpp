// Readers of the two ADIF logs.
#include "monitor/logs/logs.h"

#include <algorithm>
#include <array>

#include "common/errors.h"
#include "common/files.h"
#include "common/text.h"
#include "monitor/globals.h"
#include "monitor/logs/adif.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/files.h"

namespace {

// The fewest bytes a record takes in each log, to make room for its calls at once: WSJT-X
// writes about 280 a contact, QRZ's copy about 800.
constexpr int64_t kWsjtxRecordBytes = 250;
constexpr int64_t kQrzRecordBytes = 700;

// The size of WSJT-X's log; 0 when it cannot be read.
int64_t WsjtxLogSize() {
  TextFile file;
  return OpenForReading(file, WsjtxLogPath(), FileShare::kReadWrite) ? FileSize(file) : 0;
}

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
  ReserveWorked(workedList, WorkedCount(workedList) + static_cast<size_t>((size - from) / kWsjtxRecordBytes));
  if (from < size && SeekOpenFile(file.handle, from)) {
    std::string_view call, band, freq;
    WorkedBatch batch;
    ForEachLine(file, [&](std::string_view line, int64_t end) {
      // A last record still being written (no line end, no <eor> yet) is read whole next time.
      if (end < 0 && !EndsRecord(line)) return;
      if (CallFieldOf(line, call)) {
        BandFieldsOf(line, band, freq);
        AddWorkedSoon(workedList, batch, call, BandsOfContact(band, freq));
      }
      if (end >= 0) track.end = end;
    });
    AddWorkedBatch(workedList, batch);
  }
  return 0;
}

// Where each entity stands in the confirmed list, so that 100,000 confirmed contacts do not
// each search it: by entity number, which ADIF keeps below 1000.
struct ConfirmedIndex {
  std::array<int32_t, 1000> position;
  ConfirmedIndex() { position.fill(-1); }
};

// The entity number of a dxcc field: its digits read at once, as nearly every one is; any other
// text as the number reader takes it.
int32_t EntityNumber(std::string_view dxcc) {
  int32_t number = 0;
  for (char c : dxcc) {
    if (!IsDigit(c) || number >= 100000) return TextToWholeNumber(std::string(dxcc));
    number = number * 10 + (c - '0');
  }
  return number;
}

void AddConfirmed(ConfirmedList& confirmedList, ConfirmedBands* confirmedBands, ConfirmedIndex& index,
                  std::string_view dxcc, BandSet bands) {
  int32_t entity = EntityNumber(dxcc);
  if (entity <= 0) return;  // 0 is no entity: a contact at sea (/MM) confirms none
  bool indexed = entity < static_cast<int32_t>(index.position.size());
  size_t at = indexed && index.position[entity] >= 0
                  ? static_cast<size_t>(index.position[entity])
                  : static_cast<size_t>(std::find(confirmedList.begin(), confirmedList.end(), entity) - confirmedList.begin());
  if (at == confirmedList.size()) confirmedList.push_back(entity);
  if (indexed) index.position[entity] = static_cast<int32_t>(at);
  if (!confirmedBands) return;
  if (confirmedBands->size() <= at) confirmedBands->resize(at + 1, 0);
  (*confirmedBands)[at] |= bands;
}

// The records of the QRZ logbook copy from the read position on, into either list or both:
// FT8 and JT65 contacts to worked, the entities of confirmed contacts to confirmed.
void ScanQrzCopy(TextFile& file, WorkedList* worked, ConfirmedList* confirmed, ConfirmedBands* confirmedBands) {
  std::string call;
  ConfirmedIndex index;
  WorkedBatch batch;
  ForEachLine(file, [&](std::string_view record, int64_t) {
    RecordFields fields = ScanRecord(record);
    BandSet bands = BandsOfContact(fields.band, fields.freq);
    if (confirmed && fields.confirmed && !fields.dxcc.empty()) AddConfirmed(*confirmed, confirmedBands, index, fields.dxcc, bands);
    if (!worked || !fields.workedMode || !fields.hasCall) return;
    // QRZ writes the slash of a portable call as "_": W7XYZ_P is W7XYZ/P.
    if (fields.call.find('_') == std::string_view::npos) {
      AddWorkedSoon(*worked, batch, fields.call, bands);
      return;
    }
    call.assign(fields.call);
    std::replace(call.begin(), call.end(), '_', '/');
    AddWorkedSoon(*worked, batch, call, bands);
  });
  if (worked) AddWorkedBatch(*worked, batch);
}

// The QRZ logbook copy into the worked list, started afresh, and into confirmedList when given.
void LoadQrzCopy(WorkedList& workedList, ConfirmedList* confirmedList, ConfirmedBands* confirmedBands,
                 std::string& errorText) {
  errorText.clear();
  TextFile file;
  // A first run has no copy yet: the run goes on with what WSJT-X's log gives.
  if (!OpenForReading(file, LogBookCopyName(), FileShare::kReadWrite) && file.error == kFileNotFound) {
    workedList = WorkedList{};
    ConsolePrintText("No QRZ logbook copy yet (" + LogBookCopyName() +
                     "): answer Y at the start to download one; WSJT-X's log gives the worked list meanwhile");
    ConsoleNewLine();
    return;
  }
  std::string line;
  // A missing copy fails here too, as a read from a file that is not open (52).
  if (!ReadLine(file, line)) {
    errorText = NumberToText(file.error) + " Error in ReadingADILog";
    CloseFile(file);
    ShowUntilKey(errorText);
    return;
  }
  workedList = WorkedList{};
  // Room for both logs' calls at once, so that WSJT-X's merge that follows neither grows the
  // list nor fills its table again.
  ReserveWorked(workedList, static_cast<size_t>(FileSize(file) / kQrzRecordBytes + WsjtxLogSize() / kWsjtxRecordBytes));
  ScanQrzCopy(file, &workedList, confirmedList, confirmedBands);
}

}  // namespace

std::string LogBookCopyName() { return glb_QRZAccountName + ".adi.txt"; }

std::string WsjtxFolder() {
  // WSJT-X started with --rig-name=NAME keeps its files beside its own folder.
  return JoinPath(LocalAppDataFolder(), glb_RigName.empty() ? std::string("WSJT-X") : "WSJT-X - " + glb_RigName);
}

std::string WsjtxLogPath() { return FindFileIgnoringCase(WsjtxFolder(), "WSJTX_log.adi"); }

void MergeWsjtxWorked(WorkedList& workedList, std::string& errorText, WsjtxLogTrack& track) {
  errorText.clear();
  int errorNumber = ReadWsjtxLog(workedList, track);
  // WSJT-X makes its log when the first contact is logged: a new install has none yet.
  if (errorNumber == kFileNotFound) {
    ConsolePrintText("WSJT-X has logged no contact yet (no " + WsjtxLogPath() + "): it is read when it appears");
    ConsoleNewLine();
  } else if (errorNumber == kPathNotFound) {  // WSJT-X never run here, or another radio's folder
    ConsolePrintText("No WSJT-X folder " + WsjtxFolder() + " yet: start WSJT-X once, or name its radio with --rig NAME;"
                     " its files are read when they appear");
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
  LoadQrzCopy(workedList, nullptr, nullptr, errorText);
}

void LoadConfirmedDX(ConfirmedList& confirmedList, std::string& errorText) {
  errorText.clear();
  confirmedList.clear();
  TextFile file;
  if (!OpenForReading(file, LogBookCopyName(), FileShare::kExclusive)) return;
  std::string line;
  ReadLine(file, line);  // the download's time stamp
  ScanQrzCopy(file, nullptr, &confirmedList, nullptr);
}

void LoadQrzLists(WorkedList& workedList, ConfirmedList& confirmedList, std::string& errorText,
                  ConfirmedBands* confirmedBands) {
  confirmedList.clear();
  if (confirmedBands) confirmedBands->clear();
  LoadQrzCopy(workedList, &confirmedList, confirmedBands, errorText);
}

