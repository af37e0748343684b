// Config.ini: the eight settings both programs share, one value per line in a fixed order.
#pragma once

#include <cstdint>
#include <string>

struct ConfigSettings {
  double latitude = 0;
  double longitude = 0;
  std::string accountName;
  std::string password;
  std::string apiKey;
  std::string grid;
  int32_t dxAlert = 0;
  int32_t stationAlert = 0;
};

inline constexpr const char* kConfigFileName = "Config.ini";

// Missing file or missing values read as 0 and empty texts. Returns the run-time error number of
// a file that could not be opened (53 when it is not there, 70 when refused or locked), else 0.
int ReadConfig(const std::string& path, ConfigSettings& settings);
// Writes all eight lines into a new file beside the old one and renames it into place once it
// is whole on the disk; a new file is readable by its owner only (it holds the password), an
// existing one keeps its owner, group and mode. When path is a
// symbolic link, the file it points to is replaced. False with errorText saying why when the
// file could not be saved: the old one is then as it was.
bool WriteConfig(const std::string& path, const ConfigSettings& settings, std::string& errorText);
