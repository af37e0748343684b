// Readers and writers of the system's text files.
#include "common/files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/errors.h"
#include "common/text.h"

namespace {

constexpr int kCtrlZ = 26;
constexpr int64_t kMarkBytes = 64;  // of a followed file's head and tail

int Peek(TextFile& file) {
  int c = std::getc(file.handle);
  if (c != EOF) std::ungetc(c, file.handle);
  return c;
}

bool AtLogicalEnd(int c) { return c == EOF || c == kCtrlZ; }

// The next byte, or EOF at the end; a Ctrl-Z is left in place so that the file stays at its end.
int Next(TextFile& file) {
  int c = std::getc(file.handle);
  if (c == kCtrlZ) {
    std::ungetc(c, file.handle);
    return EOF;
  }
  return c;
}

// Reads the byte that ends a line (CR, with an LF right after it, or a lone LF).
void ConsumeLineEnd(TextFile& file, int c) {
  if (c == '\r' && Peek(file) == '\n') std::getc(file.handle);
}

bool IsOpen(TextFile& file) {
  if (!file.handle) file.error = kBadFileNumber;
  return file.handle != nullptr;
}

bool ReadyToRead(TextFile& file) {
  if (!IsOpen(file)) return false;
  if (AtLogicalEnd(Peek(file))) {
    file.error = kInputPastEnd;
    return false;
  }
  return true;
}

void SkipBlanks(TextFile& file) {
  for (int c = Peek(file); c == ' ' || c == '\t'; c = Peek(file)) std::getc(file.handle);
}

// After a value: blanks and tabs, then one comma or one line end.
void ConsumeSeparator(TextFile& file) {
  SkipBlanks(file);
  int c = Peek(file);
  if (c == ',' || c == '\n') std::getc(file.handle);
  else if (c == '\r') ConsumeLineEnd(file, std::getc(file.handle));
}

// The text up to the separator (a comma or a line end, and a blank too when stopAtBlank),
// tabs dropped; the separator itself is left to ConsumeSeparator.
std::string TakeValueText(TextFile& file, bool stopAtBlank) {
  std::string text;
  for (int c = Peek(file); !AtLogicalEnd(c) && c != ',' && c != '\r' && c != '\n' && !(stopAtBlank && c == ' ');
       c = Peek(file)) {
    std::getc(file.handle);
    if (c != '\t') text += static_cast<char>(c);
  }
  return text;
}

std::string ReadQuotedText(TextFile& file) {
  std::string value;
  for (int c = Next(file); c != EOF; c = Next(file)) {
    if (c != '"') {
      value += static_cast<char>(c);
    } else if (Peek(file) == '"') {
      value += static_cast<char>(std::getc(file.handle));  // a doubled quote stands for one
    } else {
      break;
    }
  }
  TakeValueText(file, false);  // what stands between the closing quote and the separator is not part of the value
  return value;
}

}  // namespace

bool OpenForReading(TextFile& file, const std::string& path, FileShare share) {
  CloseFile(file);
  file.handle = OpenExistingForReading(path, share, file.error);
  return file.handle != nullptr;
}

bool OpenForWriting(TextFile& file, const std::string& path, bool ownerOnly) {
  CloseFile(file);
  file.handle = OpenForWritingFile(path, ownerOnly, file.error);
  return file.handle != nullptr;
}

void CloseFile(TextFile& file) {
  if (file.handle) std::fclose(file.handle);
  file.handle = nullptr;
}

bool ReadLine(TextFile& file, std::string& line) {
  line.clear();
  if (!ReadyToRead(file)) return false;
  for (int c = Next(file); c != EOF; c = Next(file)) {
    if (c == '\r' || c == '\n') {
      ConsumeLineEnd(file, c);
      return true;
    }
    line += static_cast<char>(c);
  }
  return true;
}

bool ReadReplyLine(TextFile& file, std::string& line) {
  line.clear();
  if (!ReadyToRead(file)) return false;
  for (int c = Next(file); c != EOF && c != '\r'; c = Next(file))
    line += static_cast<char>(c);
  return true;
}

bool ReadField(TextFile& file, std::string& field, bool* ended) {
  field.clear();
  if (ended) *ended = false;
  if (!ReadyToRead(file)) return false;
  for (int c = Next(file); c != EOF; c = Next(file)) {
    if (c == ',' || c == '\r' || c == '\n') {
      ConsumeLineEnd(file, c);
      if (ended) *ended = true;
      return true;
    }
    field += static_cast<char>(c);
  }
  return true;
}

double ReadNumberValue(TextFile& file) {
  if (!ReadyToRead(file)) return 0;
  SkipBlanks(file);
  std::string text = TakeValueText(file, true);
  ConsumeSeparator(file);
  return TextToNumber(text);
}

std::string ReadTextValue(TextFile& file) {
  if (!ReadyToRead(file)) return "";
  SkipBlanks(file);
  std::string value;
  if (Peek(file) == '"') {
    std::getc(file.handle);
    value = ReadQuotedText(file);
  } else {
    value = TakeValueText(file, false);
  }
  ConsumeSeparator(file);
  return value;
}

bool ReadChunk(TextFile& file, std::string& chunk) {
  chunk.resize(64 * 1024);
  size_t count = IsOpen(file) ? std::fread(chunk.data(), 1, chunk.size(), file.handle) : 0;
  chunk.resize(count);
  return count > 0;
}

bool WriteLine(TextFile& file, const std::string& text) {
  if (!IsOpen(file)) return false;
  std::fwrite(text.data(), 1, text.size(), file.handle);
  std::fputs("\r\n", file.handle);
  return !std::ferror(file.handle);
}

std::string NewFileName(const std::string& path) { return path + ".new"; }

bool WriteFileWhole(const std::string& path, const std::function<std::string(TextFile&)>& write,
                    std::string& errorText, size_t bufferSize) {
  std::string newFile;
  int errorNumber = 0;
  TextFile file;
  file.handle = CreateFreshPrivateFile(NewFileName(path) + "-", newFile, errorNumber);
  if (!file.handle) {
    errorText = "cannot write " + newFile + " (" + std::strerror(errno) + ")";
    return false;
  }
  // setvbuf takes the size only with a buffer of our own, which must outlive the close below.
  std::unique_ptr<char[]> buffer(bufferSize > 0 ? new char[bufferSize] : nullptr);
  if (buffer) std::setvbuf(file.handle, buffer.get(), _IOFBF, bufferSize);
  MarkUnfinishedFile(newFile);
  errorText = write(file);
  bool written = FlushToDisk(file.handle);  // false too when an earlier write failed
  int writeError = errno;
  written = std::fclose(file.handle) == 0 && written;
  file.handle = nullptr;
  if (errorText.empty() && !written) errorText = "writing " + newFile + " failed (" + std::strerror(writeError) + ")";
  if (errorText.empty()) CopyOwnerAndMode(path, newFile);  // a file the user shares stays shared
  if (errorText.empty() && !ReplaceFile(newFile, path))
    errorText = "cannot replace " + path + " (" + std::strerror(errno) + ")";
  if (!errorText.empty()) RemoveFile(newFile);
  MarkUnfinishedFile("");
  return errorText.empty();
}

std::string QuotedWhereNeeded(const std::string& text) {
  bool plainFails = Contains(text, ",") || (!text.empty() && (text[0] == ' ' || text[0] == '"'));
  // The plain form drops or stops at line ends and tabs; the quoted one keeps every byte but Ctrl-Z.
  for (char c : text) plainFails = plainFails || static_cast<unsigned char>(c) < 32;
  if (!plainFails) return text;
  std::string quoted(1, '"');
  quoted += ReplaceAll(text, "\"", "\"\"");
  quoted += '"';
  return quoted;
}

int64_t FileSize(TextFile& file) {
  if (!IsOpen(file)) return 0;
  return OpenFileSize(file.handle);
}

FileMark MarkOf(TextFile& file, int64_t size) {
  FileMark mark;
  if (!IsOpen(file)) return mark;
  mark.identity = OpenFileIdentity(file.handle);
  mark.size = size;
  ReadOpenFileAt(file.handle, 0, std::min(size, kMarkBytes), mark.head);
  int64_t tailStart = std::max<int64_t>(0, size - kMarkBytes);
  ReadOpenFileAt(file.handle, tailStart, size - tailStart, mark.tail);
  return mark;
}

bool OnlyGrew(const FileMark& before, TextFile& file, const FileMark& now) {
  size_t common = std::min(before.head.size(), now.head.size());
  if (!before.identity.known || now.identity != before.identity || now.size < before.size ||
      before.head.compare(0, common, now.head, 0, common) != 0)
    return false;
  std::string oldEnd;
  int64_t tailSize = static_cast<int64_t>(before.tail.size());
  return ReadOpenFileAt(file.handle, before.size - tailSize, tailSize, oldEnd) && oldEnd == before.tail;
}

bool SetReadPosition(TextFile& file, int64_t position) {
  if (!IsOpen(file)) return false;
  return SeekOpenFile(file.handle, position > 1 ? position - 1 : 0);
}

int64_t ReadOffset(TextFile& file) {
  return file.handle ? OpenFileOffset(file.handle) : 0;
}

bool AtEndOfFile(TextFile& file) {
  return !file.handle || AtLogicalEnd(Peek(file));
}
