// Start-up, the run, and termination of the monitor.
#include "monitor/startup.h"

#include "common/config.h"
#include "common/errors.h"
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
#include "platform/files.h"

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
  ConsoleDiscardKeys();
  std::string key = UpperCase(ConsoleWaitKey());
  ConsoleSetColour(kBlack, kWhite);
  ConsoleClear();
  return key == "Y";
}


// Lines already in the decode file are never shown; only what is appended later.
void NoteDecodeFileEnd(MonitorState& state) {
  state.allTxtPath = JoinPath(WsjtxFolder(), "ALL.TXT");
  NoteDecodeFileEnd(state.allTxtPath, state.allTxtPosition, state.allTxtTrack);
}

// The download's failure, said on one line and kept for the notice row: the run goes on with
// the copy there is.
std::string LogBookFailureNotice(const std::string& failure) {
  if (failure.empty()) return "";
  std::string stamp = CopyTimeStamp(LogBookCopyName());
  return "Logbook download failed: " + failure + "; " +
         (stamp.empty() ? std::string("no copy yet") : "using the copy from " + stamp);
}

void SayLine(const std::string& text) {
  if (text.empty()) return;
  ConsolePrintText(text);
  ConsoleNewLine();
}

// Every QRZ reply lands in the temporary file: it must be ours alone, never another's file
// that we would write the password into.
bool ClaimTempFile(std::string& errorText) {
  int errorNumber = 0;
  std::FILE* file = OpenPrivateFileForWriting(glb_TempFileName, errorNumber);
  if (file) {
    std::fclose(file);
    return true;
  }
  errorText = ErrorReport(errorNumber);
  ConsolePrintText(errorText + " " + glb_TempFileName + ": it belongs to someone else or cannot be replaced");
  ConsoleNewLine();
  ConsolePressAnyKey();
  return false;
}

// A refusal by the service (a wrong password) ends the start; QRZ out of reach does not: the
// monitor goes on, with rows from the calls' prefixes, and asks again every minute.
bool OpenSession(MonitorState& state) {
  SessionResult result = OpenSessionKey(glb_QRZSessionKey, state.errorText, state.sessionMessage);
  state.sessionAskedSeconds = SecondsNow();
  if (result == SessionResult::kRefused) state.sessionRefusal = state.errorText;
  if (result != SessionResult::kUnreachable) return result == SessionResult::kOpened;
  state.sessionFailure = state.errorText;
  state.errorText.clear();
  SayLine("QRZ cannot be reached (" + state.sessionFailure + "): the monitor goes on and asks again every minute");
  return true;
}

// What the operator should check after the service refused the session, said where it stays
// readable once the program has ended.
void SayRefusal(const std::string& refusal) {
  if (refusal.empty()) return;
  std::printf("QRZ refused the session: %s\n"
              "Check the QRZ account name and password in Config.ini (run vaneedit), and that the account has\n"
              "XML access (www.qrz.com/page/xml_data.html).\n",
              refusal.c_str());
}

}  // namespace

bool BuildStartUpLists(MonitorState& state) {
  ConsolePrintLine("One moment please, building Station Worked List.....");
  ConsoleFlush();  // a large log takes a while: the line shows meanwhile
  LoadQrzLists(state.worked, state.confirmed, state.errorText, &state.confirmedBands);  // the confirmed list comes with it
  MergeWsjtxWorked(state.worked, state.errorText, state.wsjtxLogTrack);  // only its failure ends the run
  if (!state.errorText.empty()) return false;
  ConsolePrintLine("One moment please, building Confirmed DX List.......");
  return true;
}

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
  RemoveFile(NewFileName(LogBookCopyName()));  // left by a download that was cut off
  SetUpConsole();
  if (!ClaimTempFile(state.errorText)) return false;
  std::string logBookFailure;
  if (WantsLogBook()) {
    ConsolePrintLine("Checking the status of the QRZ ADI Log");
    DownloadLogBook(LogBookCopyName(), logBookFailure);
  }
  ConsoleClear();
  state.logBookFailure = LogBookFailureNotice(logBookFailure);
  SayLine(state.logBookFailure);
  ConsolePrintLine("One moment please, establishing QRZ Connection......");
  if (!OpenSession(state)) return false;
  SayLine(state.sessionMessage);
  std::string countryNotice;
  state.newerCountries = NewerCountries(WsjtxFolder(), countryNotice);
  SayLine(countryNotice);
  if (!BuildStartUpLists(state)) return false;
  if (state.confirmed.empty()) state.dxAlertEnabled = 0;
  NoteDecodeFileEnd(state);
  state.startSeconds = SecondsNow();
  ConsoleClear();
  return true;
}

std::string Terminate() {
  ClockReading now = ReadClock();
  std::string line = "Program terminated at " + now.date + " " + now.time;
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
  RemoveFreshFolder();
  SayRefusal(state.sessionRefusal);
  // The second screen is gone with the console; say it again where it stays readable.
  std::printf("%s\n", line.c_str());
  return 1;  // the monitor ends only when something went wrong
}
