// Reader and writer of Config.ini.
#include "common/config.h"

#include <cerrno>
#include <cstring>

#include "common/files.h"
#include "common/text.h"
#include "platform/files.h"

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

namespace {

bool WriteValues(TextFile& file, const ConfigSettings& settings) {
  return WriteLine(file, NumberPrintText(settings.latitude)) && WriteLine(file, NumberPrintText(settings.longitude)) &&
         WriteLine(file, QuotedWhereNeeded(settings.accountName)) &&
         WriteLine(file, QuotedWhereNeeded(settings.password)) &&
         WriteLine(file, QuotedWhereNeeded(settings.apiKey)) && WriteLine(file, QuotedWhereNeeded(settings.grid)) &&
         WriteLine(file, NumberPrintText(settings.dxAlert)) && WriteLine(file, NumberPrintText(settings.stationAlert));
}

}  // namespace

bool WriteConfig(const std::string& path, const ConfigSettings& settings, std::string& errorText) {
  errorText.clear();
  std::string target = FinalPathOf(path);  // where the user keeps it
  std::string newFile = target + ".new";
  int errorNumber = 0;
  TextFile file;
  file.handle = OpenPrivateFileForWriting(newFile, errorNumber);
  if (!file.handle) {
    errorText = std::string("cannot write ") + newFile + " (" + std::strerror(errno) + ")";
    return false;
  }
  MarkUnfinishedFile(newFile);
  bool written = WriteValues(file, settings) && FlushToDisk(file.handle);
  int writeError = errno;
  written = std::fclose(file.handle) == 0 && written;
  file.handle = nullptr;
  if (!written) errorText = std::string("writing ") + newFile + " failed (" + std::strerror(writeError) + ")";
  else if (!ReplaceFile(newFile, target)) errorText = "cannot replace " + target + " (" + std::strerror(errno) + ")";
  if (!errorText.empty()) RemoveFile(newFile);
  MarkUnfinishedFile("");
  return errorText.empty();
}
