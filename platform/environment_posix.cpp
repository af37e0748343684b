// Environment defaults on Linux and macOS.
#include "platform/environment.h"

#include "platform/files.h"

#include <sys/stat.h>
#ifdef __APPLE__
#include <mach-o/dyld.h>
#endif
#include <unistd.h>

#include <cstdlib>
#include <cstring>

std::string EnvironmentValue(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

void SetEnvironmentValue(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
}

namespace {

// A folder only we can enter: ours, not a link, no access for others.
bool IsOurPrivateFolder(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
         (info.st_mode & 077) == 0;
}

}  // namespace

// The shared, sticky /tmp is no place for our reply file: another user's QRZ_Data.tmp there
// would stop us for good. TEMP when the user names a folder; else the session's own runtime
// folder; else dxvane-<uid> in TMPDIR or /tmp, made 0700 and checked to be ours (when another
// user holds that name, a fresh folder of our own beside it).
std::string TempFolderName() {
  std::string temp = EnvironmentValue("TEMP");
  if (!temp.empty()) return temp;
  std::string runtime = EnvironmentValue("XDG_RUNTIME_DIR");
  if (!runtime.empty() && IsOurPrivateFolder(runtime)) return runtime;
  std::string base = EnvironmentValue("TMPDIR");
  return (base.empty() ? std::string("/tmp") : base) + "/dxvane-" + std::to_string(geteuid());
}

std::string TempFolder() {
  std::string folder = TempFolderName();
  if (!EnvironmentValue("TEMP").empty() || folder == EnvironmentValue("XDG_RUNTIME_DIR")) return folder;
  mkdir(folder.c_str(), 0700);
  if (IsOurPrivateFolder(folder)) return folder;
  std::string fresh = folder + "-XXXXXX";
  if (!mkdtemp(fresh.data())) return folder;
  MarkFreshFolder(fresh, "QRZ_Data.tmp");
  return fresh;
}

std::string CurrentFolder() {
  std::string folder(4096, '\0');
  if (!getcwd(folder.data(), folder.size())) return ".";
  folder.resize(std::strlen(folder.c_str()));
  return folder;
}

std::string ProgramFolder() {
  std::string path(4096, '\0');
#ifdef __APPLE__
  uint32_t size = static_cast<uint32_t>(path.size());
  if (_NSGetExecutablePath(path.data(), &size) != 0) return "";
  path.resize(std::strlen(path.c_str()));
#else
  ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return "";
  path.resize(static_cast<size_t>(length));
#endif
  size_t separator = path.find_last_of('/');
  return separator == std::string::npos ? "" : path.substr(0, separator);
}

std::string LocalAppDataFolder() {
  for (const char* name : {"LOCALAPPDATA", "XDG_DATA_HOME"}) {
    std::string value = EnvironmentValue(name);
    if (!value.empty()) return value;
  }
#ifdef __APPLE__
  return EnvironmentValue("HOME") + "/Library/Application Support";
#else
  return EnvironmentValue("HOME") + "/.local/share";
#endif
}


std::string PlatformHelp() {
  return "Environment: LOCALAPPDATA for the WSJT-X folder (else XDG_DATA_HOME), TEMP for the replies (else\n"
         "  XDG_RUNTIME_DIR or a folder of your own in TMPDIR or /tmp), DXVANE_QRZ_XML_URL and\n"
         "  DXVANE_QRZ_LOGBOOK_URL for the QRZ services.\n"
         "Ctrl+Z suspends the program and fg brings it back, redrawn.\n";
}

void PrintText(std::FILE* stream, const std::string& text) { std::fputs(text.c_str(), stream); }

std::vector<std::string> ProgramArguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

// The demo script ends its stand-ins itself, on every way out.
void EndWithProgram(const std::string&) {}
