// Reader and writer of Config.ini.
#include "common/config.h"

#include "common/files.h"
#include "common/text.h"
#include "platform/files.h"

int ReadConfig(const std::string& path, ConfigSettings& settings) {
  settings = ConfigSettings{};
  TextFile file;
  if (!OpenForReading(file, path, FileShare::kExclusive)) return file.error;
  settings.latitude = ReadNumberValue(file);
  settings.longitude = ReadNumberValue(file);
  settings.accountName = ReadTextValue(file);
  settings.password = ReadTextValue(file);
  settings.apiKey = ReadTextValue(file);
  settings.grid = ReadTextValue(file);
  settings.dxAlert = RoundHalfEven(ReadNumberValue(file));
  settings.stationAlert = RoundHalfEven(ReadNumberValue(file));
  CloseFile(file);
  return 0;
}

namespace {

void WriteValues(TextFile& file, const ConfigSettings& settings) {
  for (const std::string& value :
       {NumberPrintText(settings.latitude), NumberPrintText(settings.longitude), QuotedWhereNeeded(settings.accountName),
        QuotedWhereNeeded(settings.password), QuotedWhereNeeded(settings.apiKey), QuotedWhereNeeded(settings.grid),
        NumberPrintText(settings.dxAlert), NumberPrintText(settings.stationAlert)})
    WriteLine(file, value);
}

}  // namespace

bool WriteConfig(const std::string& path, const ConfigSettings& settings, std::string& errorText) {
  errorText.clear();
  // Through a symbolic link: the file the user keeps is the one replaced.
  return WriteFileWhole(FinalPathOf(path), [&](TextFile& file) {
    WriteValues(file, settings);  // a failed write is the stream's: WriteFileWhole reports it
    return std::string();
  }, errorText);
}
