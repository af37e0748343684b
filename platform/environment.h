// Environment variables and paths.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The value of a variable, empty when unset. Text is UTF-8 on every platform.
std::string EnvironmentValue(const std::string& name);
// Sets a variable for this process and the programs it starts.
void SetEnvironmentValue(const std::string& name, const std::string& value);
// TEMP; on POSIX falling back to a folder of the user's own: XDG_RUNTIME_DIR, else
// dxvane-<uid> (mode 0700, made when missing) in TMPDIR or /tmp. Called once a run: when another
// user holds dxvane-<uid>, a fresh folder is made for this run and removed at its end
// (RemoveFreshFolder).
std::string TempFolder();
// Where TempFolder would put the replies, worked out without making anything (for --help).
std::string TempFolderName();
// The current working folder, UTF-8.
std::string CurrentFolder();
// The folder the running program was started from (where the Windows zip keeps the sounds);
// empty when the platform does not say.
std::string ProgramFolder();
// LOCALAPPDATA; on POSIX falling back to XDG_DATA_HOME, then the user's data folder
// (where WSJT-X keeps its folder there).
std::string LocalAppDataFolder();
// folder + separator + name.
inline std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + kPathSeparator + name;
}
// What the usage text says of this platform: its environment variables and keys.
std::string PlatformHelp();
// Writes UTF-8 text to standard output or error: to a Windows console as characters (a profile
// path with "é" reads right there), elsewhere as the bytes it is.
void PrintText(std::FILE* stream, const std::string& text);
// The program's arguments as UTF-8: on Windows from the wide command line, so that a folder
// named in Greek arrives whole.
std::vector<std::string> ProgramArguments(int argc, char** argv);
// A path from UTF-8 text, for the standard library's streams and file calls.
inline std::filesystem::path PathFromUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}
// For the demo's stand-ins: end when the program of that name (dxvane.exe) has come and gone
// (ended by Ctrl+C or a closed window), or has not come within a minute; and let Ctrl+C end
// them (Windows' "start /b" starts them deaf to it). An empty name: neither.
void EndWithProgram(const std::string& name);
