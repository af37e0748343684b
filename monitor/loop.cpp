// The monitoring loop and its screen.
#include "monitor/loop.h"

#include <algorithm>
#include <vector>

#include "common/text.h"
#include "common/unicode.h"
#include "monitor/clock.h"
#include "monitor/decodes.h"
#include "monitor/logs/logs.h"
#include "monitor/globals.h"
#include "monitor/qrz/cache.h"
#include "monitor/qrz/session.h"
#include "monitor/rows.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/sound.h"

namespace {

constexpr int kStatusRow = 42;
constexpr int kNoticeRow = 43;
constexpr int kProgressColumn = 44;
constexpr int kCounterColumn = 60;
constexpr char kShadeBlock = static_cast<char>(177);
// The lookups of a period end this long before the next boundary, so that its table is drawn
// in time; a caller left over is looked up when it calls again.
constexpr int kLookupMarginSeconds = 3;
constexpr int kSessionRetrySeconds = 60;
const char* const kDxAlertSound = "DXAlert.wav";
const char* const kStationAlertSound = "StationAlert.wav";
const char* kHeader =
    "  Call       Name                       City/Country                                     DXCC  State  Bearing "
    "     Distance    CQ's   ";

struct RowLook {
  int foreground = kBlack;
  int background = kWhite;
  const char* sound = nullptr;
};

int ClockSeconds(const ClockReading& reading) { return TextToWholeNumber(Right(reading.time, 2)); }

int LookupSecondsLeft() {
  int intoPeriod = ClockSeconds(ReadClock()) % kSlotSeconds;
  return std::max(1, kSlotSeconds - kLookupMarginSeconds - intoPeriod);
}

void DrawProgress(int progress) {
  ConsoleLocate(kStatusRow, kProgressColumn);
  ConsoleSetColour(kYellow, kRed);
  if (progress > 0) ConsolePrint(std::string(progress, kShadeBlock));
  ConsoleLocate(kStatusRow, kCounterColumn);
  ConsoleSetColour(kBlack, kWhite);
  ConsolePrint(FitRight(std::to_string(progress), 2) + "/15");
}

// An alert sound: the operator's own in the current folder, else the one installed with the
// program (beside it, as in the Windows zip and a build, or in the package's share/dxvane).
std::string SoundFileFor(const std::string& name) {
  if (FileExists(name)) return name;
  std::string programFolder = ProgramFolder();
  if (programFolder.empty()) return "";
  for (const std::string& folder : {programFolder, JoinPath(JoinPath(JoinPath(programFolder, ".."), "share"), "dxvane")}) {
    std::string path = JoinPath(folder, name);
    if (FileExists(path)) return path;
  }
  return "";
}

// The colours of a row by its status code, a later test overriding an earlier one.
RowLook LookOf(const std::string& row, bool isNew, const MonitorState& state) {
  RowLook look;
  std::string code = Right(row, 2);
  if (code == kWorkedBefore) look = {kBlack, kLightGreen};
  if (code == kHomeOrNotFound) look = {kBlack, kWhite};
  if (code == kConfirmedDx) look = {kRed, kWhite};
  if (code == kUnconfirmedDx) look = {kYellow, kRed, isNew && state.dxAlertEnabled > 0 ? kDxAlertSound : nullptr};
  if (code == kNewBand) look = {kBlack, kLightCyan, isNew && state.dxAlertEnabled > 0 ? kDxAlertSound : nullptr};
  if (code == kCallingMe) look = {kBlack, kLightRed, isNew && state.stationAlertEnabled > 0 ? kStationAlertSound : nullptr};
  if (Contains(row, "Not Found")) look = {kBlack, kLightGrey, look.sound};
  return look;
}

// The first separator below the top one ends the rows that are new in this pass. A busy period
// pushes the previous one below the shown rows: then every shown row is new.
void FindNewRowsEnd(MonitorState& state) {
  for (int r = 2; r <= kScreenRowCount; ++r) {
    if (state.rows[r].rfind("----------", 0) == 0) {
      state.newRowsEnd = r;
      return;
    }
  }
  if (!state.rows[kScreenRowCount].empty()) state.newRowsEnd = kScreenRowCount + 1;
}

void DrawRows(MonitorState& state) {
  std::vector<const char*> sounds;
  for (int r = 1; r <= kShownRows; ++r) {
    const std::string& row = state.rows[r];
    RowLook look = LookOf(row, r < state.newRowsEnd, state);
    ConsoleLocate(r + 1, 1);
    ConsoleSetColour(look.foreground, look.background);
    if (look.sound) sounds.push_back(look.sound);
    ConsolePrintText(FirstCharacters(row, kRowTextWidth) + "  ");
    ConsoleSetColour(kBlack, kWhite);
  }
  // A later sound cuts off one still playing: a station calling the operator, drawn on top of
  // the period's rows, sounds after the DX below it so that it is heard.
  std::stable_partition(sounds.begin(), sounds.end(), [](const char* sound) { return sound != kStationAlertSound; });
  for (const char* sound : sounds) {
    std::string path = SoundFileFor(sound);
    if (!path.empty()) PlaySoundFile(path);
  }
}

void PrintAt(int row, int column, const std::string& text) {
  ConsoleLocate(row, column);
  ConsolePrint(text);
}

// The counts wrap in 2048; their difference stays right.
int32_t SecondsSince(int32_t seconds) {
  return static_cast<int32_t>(static_cast<uint32_t>(SecondsNow()) - static_cast<uint32_t>(seconds));
}

std::string RunTimeText(const MonitorState& state) { return SecondsToClockText(SecondsSince(state.startSeconds)); }

std::string FiveMinuteAverage(MonitorState& state) {
  for (int i = kRateHistorySize; i > 1; --i) state.cqRateHistory[i] = state.cqRateHistory[i - 1];
  state.cqRateHistory[1] = static_cast<float>(state.periodCQs);
  state.periodCQs = 0;
  float sum = 0;
  for (int i = 1; i <= kRateHistorySize; ++i) sum += state.cqRateHistory[i];
  return SingleToText(sum / 5) + " ";
}

// The one free row, below the legend: what the operator should know, the most pressing first.
// The service's words are text from outside, printed as text.
void DrawNotices(const MonitorState& state) {
  std::string notices;
  // WSJT-X erases ALL.TXT from its menu and makes it anew with its next decode.
  std::string unreachable = state.sessionFailure.empty()
                                ? std::string()
                                : "QRZ cannot be reached: " + state.sessionFailure + " (asked again every minute)";
  for (const std::string& notice : {state.allTxtTrack.waiting ? state.allTxtTrack.notice : std::string(), unreachable,
                                    state.cache.serviceError.empty() ? std::string() : "QRZ: " + state.cache.serviceError,
                                    state.logBookFailure, state.sessionMessage}) {
    if (notice.empty()) continue;
    if (!notices.empty()) notices += " | ";
    notices += notice;
  }
  ConsoleLocate(kNoticeRow, 2);
  ConsolePrintText(FirstCharacters(notices, kScreenColumns - 2));
}

void DrawStatistics(MonitorState& state) {
  PrintAt(40, 1, std::string(135, '-'));
  PrintAt(41, 2, "Run Time: " + RunTimeText(state));
  PrintAt(41, 22, "Total CQ's:" + NumberPrintText(state.totalCQs));
  PrintAt(41, 40, "QRZ Lookups: " + NumberPrintText(state.qrzLookups));
  // The CQ callers the ring answered: never negative, whoever else was looked up.
  PrintAt(41, 60, "Cache Lookups: " + NumberPrintText(state.cache.cqCacheHits));
  PrintAt(42, 2, "Running 5 minute avg CQ's per/min: " + FiveMinuteAverage(state));
  DrawNotices(state);
}

void DrawLegendCell(int row, int column, int foreground, int background, const std::string& text) {
  ConsoleSetColour(foreground, background);
  PrintAt(row, column, text);
}

void DrawLegend() {
  DrawLegendCell(41, 82, kBlack, kLightGreen, "Worked          ");
  DrawLegendCell(41, 100, kRed, kWhite, "Confirmed DX      ");
  DrawLegendCell(41, 120, kYellow, kRed, "Unconfirmed DX  ");
  DrawLegendCell(42, 82, kBlack, kLightGrey, "Call Not found  ");
  DrawLegendCell(42, 100, kBlack, kLightRed, "Station Calling Me");
  if (glb_ByBand) DrawLegendCell(42, 120, kBlack, kLightCyan, "New Band        ");
  ConsoleSetColour(kBlack, kWhite);
}

// While QRZ cannot be reached, a session is asked for once a minute; lookups resume when it opens.
void RetrySessionWhenDue(MonitorState& state) {
  if (!state.sessionFailure.empty() && SecondsSince(state.sessionAskedSeconds) >= kSessionRetrySeconds) {
    state.sessionAskedSeconds = SecondsNow();
    std::string failure;
    if (RetrySessionKey(glb_QRZSessionKey, failure, state.sessionMessage) == SessionResult::kOpened) failure.clear();
    state.sessionFailure = failure;
  }
  state.cache.noSession = !state.sessionFailure.empty();
}

void RefreshWorkedList(MonitorState& state) {
  if (state.workedRefreshToggle == 1) ReloadWsjtxWorked(state.worked, state.errorText, state.wsjtxLogTrack);
  state.workedRefreshToggle = state.workedRefreshToggle + 1 > 1 ? 0 : state.workedRefreshToggle + 1;
}

}  // namespace

void WaitForSlotBoundary() {
  int start = ClockSeconds(ReadClock());
  int shown = INT32_MIN;
  bool boundary = false;
  do {
    ClockReading now = ReadClock();
    int seconds = ClockSeconds(now);
    boundary = seconds % kSlotSeconds == 0;
    // Never past the period's 15, even when a suspend made the wait longer than a period.
    int progress = std::min(1 + seconds - start, kSlotSeconds);
    if (progress != shown) DrawProgress(progress);  // the screen is the same, the traffic is not
    shown = progress;
    // Nothing can change before the clock's next second: sleep until it begins.
    SleepMilliseconds(boundary ? 2 : 1000 - now.millisecond);
  } while (!boundary);
}

void DrawScreen(MonitorState& state) {
  ConsoleSetColour(kBlack, kWhite);
  ConsoleClear();
  ConsoleSetColour(kYellow, kBlue);
  PrintAt(1, 1, kHeader);
  ConsoleSetColour(kBlack, kWhite);
  FindNewRowsEnd(state);
  DrawRows(state);
  DrawStatistics(state);
  DrawLegend();
}

bool PollPeriod(MonitorState& state) {
  WaitForSlotBoundary();
  ConsoleSetColour(kBlack, kWhite);
  PrintAt(kStatusRow, kProgressColumn, std::string(26, ' '));
  ConsoleNewLine();
  SleepMilliseconds(400);

  std::string previousFrequency = state.dialFrequency;
  ReadDecodes(state.allTxtPath, state.allTxtPosition, state.callers, state.lastDecodeStamp, state.totalCQs,
              state.periodCQs, state.dialFrequency, state.errorText, state.allTxtTrack);
  if (!state.errorText.empty()) return false;
  if (state.dialFrequency != previousFrequency) state.rows = ScreenRows{};

  RetrySessionWhenDue(state);
  LookupWithCache(state.callers, state.cache, state.qrzLookups, state.errorText, CountriesToUse(state.newerCountries),
                  LookupSecondsLeft());
  RenderRows(state.callers, state.rows, state.cache, state.confirmed, state.worked, state.lastDecodeStamp,
             state.dialFrequency, glb_ByBand ? &state.confirmedBands : nullptr);
  DrawScreen(state);

  SleepMilliseconds(700);
  CollectFinishedSounds();
  RefreshWorkedList(state);
  return true;
}
