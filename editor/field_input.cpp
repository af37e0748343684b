// The field input routine.
#include "editor/field_input.h"

#include "common/text.h"
#include "common/unicode.h"
#include "platform/console.h"

namespace {

// A value read from Config.ini may hold UTF-8 ("pässwörd"): the field is edited by characters,
// and written back in the encoding it was read in, so that its other characters keep their bytes.
struct Field {
  std::u32string buffer;  // exactly width characters
  bool utf8 = true;       // the value was UTF-8 (or ASCII), else one byte a character
  int cursor = 0;
  bool insert = false;
};

Field FieldOf(const std::string& value, int width) {
  Field field;
  field.utf8 = IsValidUtf8(value);
  field.buffer = DecodeCharacters(value);
  field.buffer.resize(static_cast<size_t>(width), U' ');
  return field;
}

std::string TextOf(const Field& field) {
  std::string text;
  for (char32_t c : field.buffer) {
    if (field.utf8) AppendUtf8(text, c);
    else text += static_cast<char>(c);
  }
  return text;
}

void Backspace(Field& field) {
  if (field.cursor == 0) return;
  field.buffer.erase(static_cast<size_t>(field.cursor - 1), 1);
  field.buffer += U' ';
  --field.cursor;
}

void Delete(Field& field) {
  field.buffer.erase(static_cast<size_t>(field.cursor), 1);
  field.buffer += U' ';
}

// Typing in the last cell keeps landing in it.
void Type(Field& field, char c) {
  if (field.insert) {
    field.buffer.insert(field.buffer.begin() + field.cursor, static_cast<char32_t>(c));
    field.buffer.pop_back();
  } else {
    field.buffer[static_cast<size_t>(field.cursor)] = static_cast<char32_t>(c);
  }
  if (field.cursor < static_cast<int>(field.buffer.size()) - 1) ++field.cursor;
}

bool EndsTheEdit(int32_t code, int32_t extraExitCode) {
  return code == kKeyUp || code == kKeyDown || code == kKeyPageUp || code == kKeyPageDown || code == kKeyEnter ||
         code == kKeyEsc || code == kKeyTab || code == extraExitCode;
}

// Acts on one key; true when it ends the edit.
bool ActOn(Field& field, int32_t code, int32_t extraExitCode) {
  int last = static_cast<int>(field.buffer.size()) - 1;
  if (code == kKeyInsert) field.insert = !field.insert;
  else if (code == kKeyBackspace) Backspace(field);
  else if (code == kKeyDelete) Delete(field);
  else if (EndsTheEdit(code, extraExitCode)) return true;
  else if (code == kKeyLeft) field.cursor = std::max(0, field.cursor - 1);
  else if (code == kKeyRight) field.cursor = std::min(last, field.cursor + 1);
  else if (code == kKeyHome) field.cursor = 0;
  else if (code == kKeyEnd) field.cursor = last;
  else if (code > 126 || code < 32) ConsoleBeep();  // refused characters arrive as 0; the fields hold ASCII
  else Type(field, static_cast<char>(code));
  return false;
}

void ShowField(const Field& field, int32_t row, int32_t column) {
  ConsoleLocate(row, column);
  ConsolePrintText(TextOf(field));  // a value read from Config.ini may hold anything
  ConsoleLocate(row, column + field.cursor);
  ConsoleSetCursorHeight(field.insert ? 90 : 10);
  ConsoleShowCursor(true);
}

}  // namespace

int32_t KeyCode(const std::string& keyText) {
  if (keyText.empty()) return 0;
  if (keyText.size() >= 2 && keyText[0] == '\0') return 256 * static_cast<unsigned char>(keyText[1]);
  if (keyText.size() >= 2) return kKeyUnrecognised;
  return static_cast<unsigned char>(keyText[0]);
}

void EditField(std::string& value, const int32_t& width, const int32_t& row, const int32_t& column,
               const int32_t& upperCase, std::string& refused, const int32_t& foreground, const int32_t& background,
               const int32_t& extraExitCode, int32_t& ExitKey) {
  ExitKey = 0;
  Field field = FieldOf(value, std::max(0, width));
  if (refused.empty()) refused = std::string(1, static_cast<char>(255));
  ConsoleShowCursor(false);
  ConsoleSetColour(foreground, background);
  ConsoleLocate(row, column);
  ConsolePrint(std::string(std::max(0, width), ' '));
  if (width <= 0) return;

  for (;;) {
    ShowField(field, row, column);
    std::string key = ConsoleWaitKey();
    if (key.size() == 1 && refused.find(key[0]) != std::string::npos) key.clear();
    if (upperCase == 1) key = UpperCase(key);
    int32_t code = KeyCode(key);
    if (ActOn(field, code, extraExitCode)) {
      ExitKey = code;
      break;
    }
  }

  if (ExitKey != kKeyEsc) value = TrimBlanks(TextOf(field));
  ConsoleShowCursor(false);
  ConsoleLocate(row, column);
  ConsoleSetColour(kLightGrey, kBlue);
  ConsolePrintText(FitCharactersLeft(value, width));
  ConsoleNewLine();
  ConsoleLocate(row, column);
}
