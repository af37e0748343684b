// Environment defaults on Linux and macOS.
#include "platform/environment.h"

#include <cstdlib>

std::string EnvironmentValue(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

std::string TempFolder() {
  for (const char* name : {"TEMP", "TMPDIR"}) {
    std::string value = EnvironmentValue(name);
    if (!value.empty()) return value;
  }
  return "/tmp";
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

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + kPathSeparator + name;
}
