// Start-up, the run, and termination of the monitor.
#include "monitor/startup.h"

#include "common/config.h"
#include "common/files.h"
#include "common/text.h"
#include "monitor/clock.h"
#include "monitor/decodes.h"
#include "monitor/globals.h"
#include "monitor/logs/logs.h"
#include "monitor/loop.h"
#include "monitor/qrz/logbook.h"
#include "monitor/qrz/reply.h"
#include "monitor/qrz/session.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/environment.h"

#include <cstdio>

namespace {

void SetUpConsole() {
  ConsoleUseSecondBuffer();
  ConsoleSetTitle(kBanner);
  ConsoleSetSize(kScreenColumns, kScreenRows);
  ConsoleSetColour(kBlack, kWhite);
  ConsoleShowCursor(false);
  ConsoleClear();
}

bool WantsLogBook() {
  ConsoleLocate(21, 48);
  ConsoleSetColour(kYellow, kRed);
  ConsolePrintLine("Do you want to download your QRZ Log Book?");
  std::string key = UpperCase(ConsoleWaitKey());
  ConsoleSetColour(kBlack, kWhite);
  ConsoleClear();
  return key == "Y";
}

void BuildLists(MonitorState& state) {
  LoadQrzWorked(state.worked, state.errorText);
  MergeWsjtxWorked(state.worked, state.errorText);  // only its failure ends the run
}

// Lines already in the decode file are never shown; only what is appended later.
void NoteDecodeFileEnd(MonitorState& state) {
  state.allTxtPath = JoinPath(JoinPath(LocalAppDataFolder(), "WSJT-X"), "ALL.TXT");
  NoteDecodeFileEnd(state.allTxtPath, state.allTxtPosition, state.allTxtTrack);
}

int32_t SecondsNow() {
  std::string time = ClockTimeText(), date = ClockDateText();
  return DateTimeToSeconds(time, date);
}

}  // namespace

void LoadSettings(MonitorState& state) {
  ConfigSettings settings;
  ReadConfig(kConfigFileName, settings);
  glb_MyLatitude = settings.latitude;
  glb_MyLongitude = settings.longitude;
  glb_QRZAccountName = TrimBlanks(settings.accountName);
  glb_QRZMagicWord = TrimBlanks(settings.password);
  glb_QRZLogBookKey = TrimBlanks(settings.apiKey);
  // Cut before the trim: a quoted " fn42" gives FN4.
  glb_MyGrid = TrimBlanks(UpperCase(settings.grid.substr(0, 4)));
  state.dxAlertEnabled = settings.dxAlert;
  state.stationAlertEnabled = settings.stationAlert;
  glb_TempFileName = JoinPath(TempFolder(), "QRZ_Data.tmp").substr(0, kMaxAddressLength);
}

bool StartUp(MonitorState& state) {
  state = MonitorState{};
  LoadSettings(state);
  SetUpConsole();
  if (WantsLogBook()) {
    ConsolePrintLine("Checking the status of the QRZ ADI Log");
    DownloadLogBook(LogBookCopyName());
  }
  ConsoleClear();
  ConsolePrintLine("One moment please, establishing QRZ Connection......");
  GetSessionKey(glb_QRZSessionKey, state.errorText);
  if (!state.errorText.empty()) return false;
  ConsolePrintLine("One moment please, building Station Worked List.....");
  BuildLists(state);
  if (!state.errorText.empty()) return false;
  ConsolePrintLine("One moment please, building Confirmed DX List.......");
  LoadConfirmedDX(state.confirmed, state.errorText);
  if (state.confirmed.empty()) state.dxAlertEnabled = 0;
  NoteDecodeFileEnd(state);
  state.startSeconds = SecondsNow();
  ConsoleClear();
  return true;
}

std::string Terminate() {
  std::string line = "Program terminated at " + ClockDateText() + " " + ClockTimeText();
  ConsoleClear();
  ConsolePrintLine(line);
  return line;
}

int RunMonitor() {
  MonitorState state;
  if (StartUp(state))
    while (PollPeriod(state)) {
    }
  std::string line = Terminate();
  ConsoleClose();
  // The second screen is gone with the console; say it again where it stays readable.
  std::printf("%s\n", line.c_str());
  return 0;
}
