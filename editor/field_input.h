// The editor's one-line field: cursor keys, insert and overwrite, refused characters.
#pragma once

#include <cstdint>
#include <string>

// Key codes the field acts on: a plain key's character code, or 256 times an extended
// key's scan code.
inline constexpr int32_t kKeyUp = 0x4800, kKeyDown = 0x5000, kKeyPageUp = 0x4900, kKeyPageDown = 0x5100,
                         kKeyLeft = 0x4B00, kKeyRight = 0x4D00, kKeyHome = 0x4700, kKeyEnd = 0x4F00,
                         kKeyInsert = 0x5200, kKeyDelete = 0x5300, kKeyEnter = 13, kKeyBackspace = 8, kKeyTab = 9,
                         kKeyEsc = 27;
// A key the field has no use for that is more than one byte: a UTF-8 character, Alt+key, an
// unknown escape sequence.
inline constexpr int32_t kKeyUnrecognised = 0x10000;

int32_t KeyCode(const std::string& keyText);

// Edits value in place at (row, column), width cells wide, until a key ends the edit; that
// key's code comes back in ExitKey. Esc leaves value as it was; any other ending stores the
// edited text trimmed. An empty refused set becomes the character 255, in the caller's too.
void EditField(std::string& value, const int32_t& width, const int32_t& row, const int32_t& column,
               const int32_t& upperCase, std::string& refused, const int32_t& foreground, const int32_t& background,
               const int32_t& extraExitCode, int32_t& ExitKey);
