// console_probe: runs a console program in this console the way a person would, for the
// end-to-end test under Wine (where keys sent to the terminal never reach console input):
//   console_probe --out FILE [--key SECONDS KEY] [--read SECONDS] -- COMMAND ...
// After --key's seconds it types KEY into the console's input; after --read's seconds it reads
// the active screen buffer back (ReadConsoleOutputW) into FILE, then presses Ctrl+C and notes
// how the program ended and whether the console's title came back. FILE holds "text NN|..."
// lines (UTF-8) and "attr NN|..." lines (two hex digits a cell: background, foreground).
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/wide_win32.h"

namespace {

struct Options {
  std::string out;
  double keyAfter = -1;
  wchar_t key = 0;
  double readAfter = 30;
  std::wstring command;
};

bool ReadOptions(int argc, wchar_t** argv, Options& options) {
  int i = 1;
  for (; i < argc && std::wstring(argv[i]) != L"--"; ++i) {
    std::wstring flag = argv[i];
    if (flag == L"--out" && i + 1 < argc) options.out = Utf8FromWide(argv[++i]);
    else if (flag == L"--key" && i + 2 < argc) {
      options.keyAfter = _wtof(argv[++i]);
      options.key = argv[++i][0];
    } else if (flag == L"--read" && i + 1 < argc) options.readAfter = _wtof(argv[++i]);
    else return false;
  }
  for (++i; i < argc; ++i) options.command += (options.command.empty() ? L"" : L" ") + std::wstring(argv[i]);
  return !options.out.empty() && !options.command.empty();
}

void TypeKey(wchar_t key) {
  HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  INPUT_RECORD records[2]{};
  for (int i = 0; i < 2; ++i) {
    records[i].EventType = KEY_EVENT;
    records[i].Event.KeyEvent.bKeyDown = i == 0;
    records[i].Event.KeyEvent.wRepeatCount = 1;
    records[i].Event.KeyEvent.wVirtualKeyCode = static_cast<WORD>(VkKeyScanW(key) & 0xFF);
    records[i].Event.KeyEvent.uChar.UnicodeChar = key;
  }
  DWORD written = 0;
  WriteConsoleInputW(input, records, 2, &written);
  CloseHandle(input);
}

// "text NN|" and "attr NN|" lines, or with another prefix for a second look.
std::string ScreenReport(const std::string& textPrefix = "text", const std::string& attr = "attr") {
  HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  GetConsoleScreenBufferInfo(screen, &info);
  SHORT columns = std::min<SHORT>(info.dwSize.X, 140), rows = std::min<SHORT>(info.dwSize.Y, 43);
  std::vector<CHAR_INFO> cells(static_cast<size_t>(columns) * rows);
  SMALL_RECT region{0, 0, static_cast<SHORT>(columns - 1), static_cast<SHORT>(rows - 1)};
  ReadConsoleOutputW(screen, cells.data(), COORD{columns, rows}, COORD{0, 0}, &region);
  CloseHandle(screen);
  std::string report = "size " + std::to_string(info.dwSize.X) + "x" + std::to_string(info.dwSize.Y) + "\n";
  for (int r = 0; r < rows; ++r) {
    std::wstring line;
    std::string attributes;
    for (int c = 0; c < columns; ++c) {
      const CHAR_INFO& cell = cells[static_cast<size_t>(r) * columns + c];
      line += cell.Char.UnicodeChar;
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02X", cell.Attributes & 0xFF);
      attributes += hex;
    }
    char number[8];
    std::snprintf(number, sizeof number, "%02d|", r + 1);
    report += textPrefix + " " + std::string(number) + Utf8FromWide(line) + "\n";
    report += attr + " " + std::string(number) + attributes + "\n";
  }
  return report;
}

BOOL WINAPI KeepRunning(DWORD) { return TRUE; }  // the Ctrl+C we press is for the program

HANDLE ConsoleInput() {
  return CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}

std::string QuickEdit() {
  HANDLE input = ConsoleInput();
  DWORD mode = 0;
  GetConsoleMode(input, &mode);
  CloseHandle(input);
  return mode & ENABLE_QUICK_EDIT_MODE ? "on" : "off";
}

// How many of the demo's stand-ins still run.
int StandInsRunning() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  int running = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    std::wstring name = entry.szExeFile;
    running += name == L"qrz_double.exe" || name == L"decode_feed.exe";
  }
  CloseHandle(snapshot);
  return running;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!ReadOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: console_probe --out FILE [--key SECONDS KEY] [--read SECONDS] -- COMMAND ...\n");
    return 2;
  }
  SetConsoleCtrlHandler(KeepRunning, TRUE);
  // QuickEdit on, as the classic console has it: the program must turn it off and back on.
  HANDLE input = ConsoleInput();
  DWORD inputMode = 0;
  GetConsoleMode(input, &inputMode);
  SetConsoleMode(input, inputMode | ENABLE_QUICK_EDIT_MODE | ENABLE_EXTENDED_FLAGS);
  CloseHandle(input);
  std::string quickEditBefore = QuickEdit();
  wchar_t titleBefore[512] = L"";
  GetConsoleTitleW(titleBefore, 512);
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, options.command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "console_probe: cannot start the command (error %lu)\n", GetLastError());
    return 1;
  }
  AssignProcessToJobObject(job, process.hProcess);
  ULONGLONG start = GetTickCount64();
  auto waitUntil = [&](double seconds) {
    while (GetTickCount64() - start < static_cast<ULONGLONG>(seconds * 1000)) Sleep(50);
  };
  if (options.keyAfter >= 0) {
    waitUntil(options.keyAfter);
    TypeKey(options.key);
  }
  waitUntil(options.readAfter);
  std::string report = ScreenReport();
  // The progress bar is gone for a moment after each period's boundary: a second look.
  Sleep(1500);
  report += ScreenReport("again", "again-attr");
  report += "quickedit before|" + quickEditBefore + "\nquickedit running|" + QuickEdit() + "\n";
  GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  DWORD ended = WaitForSingleObject(process.hProcess, 10000);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  wchar_t titleAfter[512] = L"";
  GetConsoleTitleW(titleAfter, 512);
  char line[128];
  std::snprintf(line, sizeof line, "ended %s, exit code 0x%08lX\n", ended == WAIT_OBJECT_0 ? "yes" : "no", exitCode);
  report += line;
  report += "title before|" + Utf8FromWide(titleBefore) + "\ntitle after|" + Utf8FromWide(titleAfter) + "\n";
  report += "quickedit after|" + QuickEdit() + "\n";
  // The stand-ins end with the demo by themselves, before the job would end them.
  for (int wait = 0; wait < 50 && StandInsRunning() > 0; ++wait) Sleep(100);
  report += "stand-ins left|" + std::to_string(StandInsRunning()) + "\n";
  CloseHandle(job);  // whatever the command started goes with it
  std::FILE* out = _wfopen(WideFromUtf8(options.out).c_str(), L"wb");
  if (!out) return 1;
  std::fwrite(report.data(), 1, report.size(), out);
  std::fclose(out);
  return 0;
}
