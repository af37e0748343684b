// Environment values on Windows, read from the process's own block as UTF-8.
#include "platform/environment.h"

#include "platform/wide_win32.h"  // windows.h, before the headers that need it

#include <io.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <thread>

std::string EnvironmentValue(const std::string& name) {
  std::wstring wideName = WideFromUtf8(name);
  DWORD length = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (length == 0) return "";
  std::wstring value(length, L'\0');
  length = GetEnvironmentVariableW(wideName.c_str(), value.data(), length);
  value.resize(length);
  return Utf8FromWide(value);
}

void SetEnvironmentValue(const std::string& name, const std::string& value) {
  SetEnvironmentVariableW(WideFromUtf8(name).c_str(), WideFromUtf8(value).c_str());
}

std::string TempFolderName() { return TempFolder(); }

std::string ProgramFolder() {
  std::wstring path(32768, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return "";
  path.resize(length);
  size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? "" : Utf8FromWide(path.substr(0, separator));
}

std::string CurrentFolder() {
  std::wstring folder(32768, L'\0');
  DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
  return length > 0 && length < folder.size() ? Utf8FromWide(folder.substr(0, length)) : ".";
}

std::string TempFolder() {
  std::string value = EnvironmentValue("TEMP");
  if (!value.empty()) return value;
  wchar_t path[MAX_PATH + 1];
  DWORD length = GetTempPathW(MAX_PATH + 1, path);
  std::string folder = Utf8FromWide(std::wstring(path, length));
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string LocalAppDataFolder() {
  std::string value = EnvironmentValue("LOCALAPPDATA");
  if (!value.empty()) return value;
  return EnvironmentValue("USERPROFILE") + "\\AppData\\Local";
}

std::string PlatformHelp() {
  return "Environment: LOCALAPPDATA for the WSJT-X folder, TEMP for the replies, DXVANE_QRZ_XML_URL and\n"
         "  DXVANE_QRZ_LOGBOOK_URL for the QRZ services.\n";
}

void PrintText(std::FILE* stream, const std::string& text) {
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0, written = 0;
  if (!GetConsoleMode(handle, &mode)) {  // a file or a pipe takes the bytes
    std::fputs(text.c_str(), stream);
    return;
  }
  std::fflush(stream);
  std::wstring wide = WideFromUtf8(text);
  WriteConsoleW(handle, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

std::vector<std::string> ProgramArguments(int, char**) {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 0; wide && i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
  return arguments;
}

namespace {

bool ProgramRuns(const std::wstring& name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool runs = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !runs; more = Process32NextW(snapshot, &entry))
    runs = _wcsicmp(entry.szExeFile, name.c_str()) == 0;
  CloseHandle(snapshot);
  return runs;
}

}  // namespace

void EndWithProgram(const std::string& name) {
  if (name.empty()) return;
  SetConsoleCtrlHandler(nullptr, FALSE);
  std::thread([wide = WideFromUtf8(name)] {
    for (int second = 0; second < 60 && !ProgramRuns(wide); ++second) Sleep(1000);
    while (ProgramRuns(wide)) Sleep(500);
    std::_Exit(0);
  }).detach();
}
