// Reading and writing the system's text files: lines, comma-or-line values, bytes.
// A line ends at CR, CR LF or a lone LF (WSJT-X and editors on Linux and macOS write LF
// alone); character 26 (Ctrl-Z) counts as the end of the file.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "common/text.h"
#include "platform/files.h"

// An open file closes itself; CloseFile stays for the places that must see the close succeed.
struct TextFile {
  std::FILE* handle = nullptr;
  int error = 0;  // run-time error number of the last failure, 0 when none

  TextFile() = default;
  TextFile(TextFile&& other) noexcept : handle(std::exchange(other.handle, nullptr)), error(other.error) {}
  TextFile& operator=(TextFile&& other) noexcept {
    if (this != &other) {
      if (handle) std::fclose(handle);
      handle = std::exchange(other.handle, nullptr);
      error = other.error;
    }
    return *this;
  }
  ~TextFile() {
    if (handle) std::fclose(handle);
  }
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
// "<path>.new": what the new files WriteFileWhole writes beside path begin with.
std::string NewFileName(const std::string& path);
// Replaces the file at path with what write puts into a fresh private file beside it (a name no
// other save uses), given the owner, group and mode path had, once that
// file is whole on the disk: write found no fault (it returns why not, empty when none), and
// every write, the flush to the disk and the close succeeded. Otherwise the old file stays as
// it was and errorText says why. The new file never outlives an interruption. bufferSize:
// how much is gathered before each write (0: the stream's own few kilobytes).
bool WriteFileWhole(const std::string& path, const std::function<std::string(TextFile&)>& write,
                    std::string& errorText, size_t bufferSize = 0);
// The written form of a settings text: plain, or in double quotes (with doubled inner
// quotes) when the plain form would not read back as written (a comma, a leading blank or
// quote, a control byte such as CR, LF or TAB). No form holds a Ctrl-Z.
std::string QuotedWhereNeeded(const std::string& text);

// Calls visit(line, endOffset) for every line from the read position on, read in large blocks:
// the lines ReadLine would give, in order (a line ends at CR, CR LF or a lone LF; Ctrl-Z ends
// the file). endOffset is the file offset just past the line's end (a Ctrl-Z's place for the
// line it cut), or -1 for a last line that has no end yet. The line's bytes live only during the call.
template <typename Visit>
void ForEachLine(TextFile& file, Visit&& visit);

int64_t FileSize(TextFile& file);

// A file followed from one read to the next: which file it was, how it began and how it ended,
// to tell a file that only grew from one erased, replaced or rewritten meanwhile (a log editor
// keeps the name, the inode and WSJT-X's header, and inserts contacts before the old end).
struct FileMark {
  FileIdentity identity;  // unknown before the first look
  std::string head;       // its first bytes
  int64_t size = 0;
  std::string tail;       // its last bytes
};
FileMark MarkOf(TextFile& file, int64_t size);
// True when file, marked now, is the file before was, still beginning and ending as it did.
bool OnlyGrew(const FileMark& before, TextFile& file, const FileMark& now);
// Position of the next byte read, counted from 1.
bool SetReadPosition(TextFile& file, int64_t position);
// Bytes before the next one read (the offset from 0 of the next byte).
int64_t ReadOffset(TextFile& file);
bool AtEndOfFile(TextFile& file);

// How ForEachLine goes on from one block to the next.
struct LineSplitter {
  int64_t offset = 0;   // file offset of the first byte not yet split
  bool skipLf = false;  // the last line ended with a CR: an LF next belongs to it
};

// Visits the whole lines of data; returns how many bytes they took.
template <typename Visit>
size_t SplitLines(LineSplitter& splitter, std::string_view data, Visit& visit) {
  size_t at = 0;
  if (splitter.skipLf && !data.empty()) {
    if (data[0] == '\n') at = 1;
    splitter.skipLf = false;
  }
  // The next CR is looked for once it is passed, not on every line: a file of LF line ends
  // (WSJT-X's on Linux) has none, and each line then takes one search, for its LF.
  size_t nextCr = at + FindByte(data.data() + at, data.size() - at, '\r');
  while (at < data.size()) {
    if (nextCr < at) nextCr = at + FindByte(data.data() + at, data.size() - at, '\r');
    const char* start = data.data() + at;
    size_t lineLength = FindByte(start, nextCr - at, '\n');  // at nextCr when no LF comes first
    if (lineLength == data.size() - at) break;  // no line end yet
    bool cr = start[lineLength] == '\r';
    size_t end = at + lineLength + 1;
    if (cr && end < data.size() && data[end] == '\n') ++end;
    else if (cr && end == data.size()) splitter.skipLf = true;
    visit(std::string_view(start, lineLength), splitter.offset + static_cast<int64_t>(end));
    at = end;
  }
  splitter.offset += static_cast<int64_t>(at);
  return at;
}

template <typename Visit>
void ForEachLine(TextFile& file, Visit&& visit) {
  LineSplitter splitter;
  splitter.offset = ReadOffset(file);
  if (!file.handle) return;
  // One buffer of up to 256 KB, no larger than what is there to read (a small file costs little);
  // the unfinished line at a block's end moves to its front and the next block is read after it.
  // Larger blocks read no faster and push the worked list's table out of the processor's cache.
  int64_t left = FileSize(file) - splitter.offset;
  size_t capacity = static_cast<size_t>(std::clamp<int64_t>(left, 4096, 1 << 18));
  std::unique_ptr<char[]> buffer(new char[capacity]);
  size_t kept = 0;  // bytes of an unfinished line at the front
  bool ended = false;
  while (!ended) {
    if (kept == capacity) {  // a line longer than the buffer
      std::unique_ptr<char[]> larger(new char[capacity * 2]);
      std::memcpy(larger.get(), buffer.get(), kept);
      buffer = std::move(larger);
      capacity *= 2;
    }
    size_t count = std::fread(buffer.get() + kept, 1, capacity - kept, file.handle);
    if (count == 0) break;
    if (const void* ctrlZ = std::memchr(buffer.get() + kept, 26, count)) {
      count = static_cast<size_t>(static_cast<const char*>(ctrlZ) - (buffer.get() + kept));
      ended = true;
    }
    std::string_view data(buffer.get(), kept + count);
    size_t used = SplitLines(splitter, data, visit);
    kept = data.size() - used;
    std::memmove(buffer.get(), buffer.get() + used, kept);
  }
  if (kept == 0) return;
  // A line cut by a Ctrl-Z is finished: nothing after it counts.
  visit(std::string_view(buffer.get(), kept), ended ? splitter.offset + static_cast<int64_t>(kept) : int64_t{-1});
}
