// Reading and writing the system's text files: lines, comma-or-line values, bytes.
// A line ends at CR, CR LF or a lone LF (WSJT-X and editors on Linux and macOS write LF
// alone); character 26 (Ctrl-Z) counts as the end of the file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/files.h"

struct TextFile {
  std::FILE* handle = nullptr;
  int error = 0;  // run-time error number of the last failure, 0 when none
};

bool OpenForReading(TextFile& file, const std::string& path, FileShare share);
// Creates or empties the file. ownerOnly: it will hold a password or a session key.
bool OpenForWriting(TextFile& file, const std::string& path, bool ownerOnly = false);
void CloseFile(TextFile& file);

// One line without its ending. False (error 62) when the file is already at its end.
bool ReadLine(TextFile& file, std::string& line);
// A service reply line: ends only at CR or Ctrl-Z, line feeds stay in the text.
bool ReadReplyLine(TextFile& file, std::string& line);
// One field of the decode file: text up to a comma or the end of the line. ended, when
// given, tells whether a comma or line end closed it (not the end of the file).
bool ReadField(TextFile& file, std::string& field, bool* ended = nullptr);
// One value of the settings file, read as a number or as a text.
double ReadNumberValue(TextFile& file);
std::string ReadTextValue(TextFile& file);
// The next bytes as they stand, a piece at a time; false at the physical end.
bool ReadChunk(TextFile& file, std::string& chunk);
// Writes text followed by CR LF.
bool WriteLine(TextFile& file, const std::string& text);
// The written form of a settings text: plain, or in double quotes (with doubled inner
// quotes) when the plain form would not read back as written (a comma, a leading blank or
// quote, a control byte such as CR, LF or TAB). No form holds a Ctrl-Z.
std::string QuotedWhereNeeded(const std::string& text);

int64_t FileSize(TextFile& file);
// Position of the next byte read, counted from 1.
bool SetReadPosition(TextFile& file, int64_t position);
// Bytes before the next one read (the offset from 0 of the next byte).
int64_t ReadOffset(TextFile& file);
bool AtEndOfFile(TextFile& file);
