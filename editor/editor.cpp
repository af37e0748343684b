// The editor's form and its walk through the fields.
#include "editor/editor.h"

#include <string>

#include "common/errors.h"
#include "common/text.h"
#include "editor/field_input.h"
#include "platform/console.h"
#include "platform/files.h"

namespace {

constexpr int kLabelColumn = 5;
constexpr int kFieldCount = 8;
constexpr int kMessageRow = 12;  // below the form
// Character 255 ends a field as Enter does, in the fields that do not refuse it.
constexpr int32_t kExtraExitCode = 255;

// Where a field's value lives: exactly one of the three is set.
struct Setting {
  double ConfigSettings::*number;
  std::string ConfigSettings::*text;
  int32_t ConfigSettings::*flag;
};

constexpr Setting Number(double ConfigSettings::*member) { return {member, nullptr, nullptr}; }
constexpr Setting Text(std::string ConfigSettings::*member) { return {nullptr, member, nullptr}; }
constexpr Setting Flag(int32_t ConfigSettings::*member) { return {nullptr, nullptr, member}; }

struct FormField {
  Setting setting;
  int row, column, width;
  bool upperCase;
  const char* label;
  const char* prompt;  // wider than the label, so it blanks the value shown there
  const char* refused;
  int trailingBlanks;
};

// Each refused set ends with the double quote, as the settings have always been typed;
// the password's set is empty, so any character a password may hold is accepted.
const FormField kFields[kFieldCount] = {
    {Number(&ConfigSettings::latitude), 3, 27, 9, true, "Enter your latitude: ",
     "Enter your latitude:                   ",
     "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz!@#$%^&*()_+={[}]|\\:;'<>?/, \"", 10},
    {Number(&ConfigSettings::longitude), 4, 27, 10, true, "Enter your longitude: ",
     "Enter your longitude:                  ",
     "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz!@#$%^&*()_+={[}]|\\:;'<>?/, \"", 10},
    {Text(&ConfigSettings::accountName), 5, 34, 10, true, "Enter your QRZ Account Name: ",
     "Enter your QRZ Account Name:                   ", "!@#$%^&*()_+={[}]|.-:;'<>?/, \"", 10},
    {Text(&ConfigSettings::password), 6, 30, 32, false, "Enter your QRZ Password: ",
     "Enter your QRZ Password:                                      ", "", 32},
    {Text(&ConfigSettings::apiKey), 7, 38, 19, false, "Enter your QRZ Log Book API Key: ",
     "Enter your QRZ Log Book API Key:                                      ",
     "ghijklmnopqrstuvwxyzGHIJKLMNOPQRSTUVWXYZ!@#$%^&*()_+={[}]:;'<>?,./ `~\"", 32},
    {Text(&ConfigSettings::grid), 8, 22, 6, false, "Enter your Grid: ", "Enter your Grid:             ",
     "!@#$%^&*()_+={[}]|\\:;'<>?/.-, \"", 10},
    {Flag(&ConfigSettings::dxAlert), 9, 41, 1, true, "Enable DX Alert 0=disable 1=enable:",
     "Enable DX Alert 0=disable 1=enable:       ",
     "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz!@#$%^&*()_+={[}]|\\:;'<>?/, .-23456789\"", 10},
    {Flag(&ConfigSettings::stationAlert), 10, 48, 1, true, "Enable Station Alert 0=Disables 1=Enabled:",
     "Enable Station Alert 0=Disables 1=Enabled:         ",
     "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz!@#$%^&*()_+={[}]|\\:;'<>?/, ,-23456789\"", 10},
};

// The value as the form shows it: numbers in the console's number form, texts as held.
std::string ShownValue(const ConfigSettings& settings, const Setting& setting) {
  if (setting.number) return NumberPrintText(settings.*setting.number);
  if (setting.flag) return NumberPrintText(settings.*setting.flag);
  return settings.*setting.text;
}

void StoreEditText(ConfigSettings& settings, const Setting& setting, const std::string& text) {
  if (setting.number) settings.*setting.number = TextToNumber(text);
  else if (setting.flag) settings.*setting.flag = TextToWholeNumber(text);
  else settings.*setting.text = TrimBlanks(text);
}

int32_t EditOneField(ConfigSettings& settings, int field) {
  const FormField& form = kFields[field];
  std::string text = TrimBlanks(ShownValue(settings, form.setting));
  std::string refused = form.refused;
  ConsoleSetColour(kLightGrey, kBlack);
  ConsoleLocate(form.row, kLabelColumn);
  ConsolePrintLine(form.prompt);
  int32_t exitKey = 0;
  EditField(text, form.width, form.row, form.column, form.upperCase ? 1 : 0, refused, kYellow, kRed, kExtraExitCode,
            exitKey);
  StoreEditText(settings, form.setting, text);
  ShowConfigForm(settings);
  return exitKey;
}

void ShowFailure(int row, const std::string& message) {
  ConsoleLocate(row, kLabelColumn);
  ConsoleSetColour(kYellow, kRed);
  ConsolePrintText(message);
  ConsoleSetColour(kLightGrey, kBlack);
  ConsoleLocate(row + 1, kLabelColumn);
  ConsolePressAnyKey();
}

// A file that could not be read would be saved blank over the settings it holds, and one we may
// not write would be replaced by a file of ours: neither is edited.
std::string RefusalOf(const std::string& path, int readError) {
  if (readError != 0 && readError != kFileNotFound)
    return "Config.ini could not be read (" + TrimBlanks(ErrorReport(readError)) + "): not edited";
  // A file its owner made read-only is said so after the form, as it always was.
  std::string file = FinalPathOf(path);
  if (!IsReadOnlyFile(file) && !CanReplaceFile(file)) return "Config.ini cannot be written by you here: not edited";
  return "";
}

}  // namespace

void ShowConfigForm(const ConfigSettings& settings) {
  ConsoleSetColour(kLightGrey, kBlack);
  ConsoleLocate(1, 1);
  ConsolePrintLine(std::string(37, ' ') + "<<< FT-8 Configuration file Editor >>>" + std::string(32, ' '));
  for (int field = 0; field < kFieldCount; ++field) {
    const FormField& form = kFields[field];
    ConsoleLocate(form.row, kLabelColumn);
    ConsoleSetColour(kLightGrey, kBlack);
    ConsolePrint(form.label);
    ConsoleSetColour(kWhite, kBlack);
    ConsolePrintText(ShownValue(settings, form.setting) + std::string(form.trailingBlanks, ' '));
    ConsoleNewLine();
  }
  ConsoleSetColour(kLightGrey, kBlack);
}

bool EditConfig() {
  ConfigSettings settings;
  std::string refusal = RefusalOf(kConfigFileName, ReadConfig(kConfigFileName, settings));
  ConsoleSetColour(kLightGrey, kBlack);
  ConsoleClear();
  if (!refusal.empty()) {
    ShowFailure(1, refusal);
    return false;
  }
  ShowConfigForm(settings);
  // Up goes back a field, except on the first; every other ending key goes on.
  for (int field = 0; field < kFieldCount;) {
    int32_t exitKey = EditOneField(settings, field);
    field += exitKey == kKeyUp && field > 0 ? -1 : 1;
  }
  std::string errorText;
  // A file the user made read-only is not replaced behind their back (a rename would).
  bool readOnly = IsReadOnlyFile(FinalPathOf(kConfigFileName));
  if (!readOnly && WriteConfig(kConfigFileName, settings, errorText)) return true;
  ShowFailure(kMessageRow, readOnly ? std::string("Config.ini is read-only: not saved") : "Config.ini was not saved: " + errorText);
  return false;
}
