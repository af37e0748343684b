// Reader and writer of Config.ini.
#include "common/config.h"

#include "common/files.h"
#include "common/text.h"

void ReadConfig(const std::string& path, ConfigSettings& settings) {
  settings = ConfigSettings{};
  TextFile file;
  if (!OpenForReading(file, path, FileShare::kExclusive)) return;
  settings.latitude = ReadNumberValue(file);
  settings.longitude = ReadNumberValue(file);
  settings.accountName = ReadTextValue(file);
  settings.password = ReadTextValue(file);
  settings.apiKey = ReadTextValue(file);
  settings.grid = ReadTextValue(file);
  settings.dxAlert = RoundHalfEven(ReadNumberValue(file));
  settings.stationAlert = RoundHalfEven(ReadNumberValue(file));
  CloseFile(file);
}

bool WriteConfig(const std::string& path, const ConfigSettings& settings) {
  TextFile file;
  if (!OpenForWriting(file, path, true)) return false;
  bool written = WriteLine(file, NumberPrintText(settings.latitude)) &&
                 WriteLine(file, NumberPrintText(settings.longitude)) &&
                 WriteLine(file, QuotedWhereNeeded(settings.accountName)) &&
                 WriteLine(file, QuotedWhereNeeded(settings.password)) &&
                 WriteLine(file, QuotedWhereNeeded(settings.apiKey)) &&
                 WriteLine(file, QuotedWhereNeeded(settings.grid)) &&
                 WriteLine(file, NumberPrintText(settings.dxAlert)) &&
                 WriteLine(file, NumberPrintText(settings.stationAlert));
  CloseFile(file);
  return written;
}
