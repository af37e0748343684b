// Environment defaults on Linux and macOS.
#include "platform/environment.h"

#include <cstdlib>

std::string EnvironmentValue(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

void SetEnvironmentValue(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
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

