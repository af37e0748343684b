// Following the WSJT-X decode file: which file it writes now and what it appended since the last poll.
#include "monitor/decode_file.h"

#include <algorithm>
#include <cstring>

#include "common/errors.h"
#include "common/files.h"
#include "common/text.h"
#include "platform/environment.h"
#include "platform/files.h"

namespace {

constexpr char kCtrlZ = 26;
const std::string kDecodeFileName = "ALL.TXT";

// Where the bytes that end a field stand: LF is met on every line, so it is looked for line
// by line; CR, comma, Ctrl-Z and NUL are rare, so each is looked for once across the whole
// read and its next place kept. NULs are what a crashed writer or a pre-allocated file leaves:
// they end a field like a line end, so the next real line is read.
struct FieldEnds {
  std::string_view bytes;
  size_t next[4] = {0, 0, 0, 0};  // the next CR, comma, Ctrl-Z, NUL at or after `from`; size when none
  bool known[4] = {false, false, false, false};

  size_t NextOf(int which, char end, size_t from) {
    if (!known[which] || next[which] < from) {
      const void* found = std::memchr(bytes.data() + from, end, bytes.size() - from);
      next[which] = found ? static_cast<size_t>(static_cast<const char*>(found) - bytes.data()) : bytes.size();
      known[which] = true;
    }
    return next[which];
  }

  // The offset of the next byte that ends a field from `from`; npos when none does.
  size_t After(size_t from) {
    if (from >= bytes.size()) return std::string_view::npos;
    const void* lf = std::memchr(bytes.data() + from, '\n', bytes.size() - from);
    size_t end = lf ? static_cast<size_t>(static_cast<const char*>(lf) - bytes.data()) : bytes.size();
    end = std::min({end, NextOf(0, '\r', from), NextOf(1, ',', from), NextOf(2, kCtrlZ, from), NextOf(3, '\0', from)});
    return end < bytes.size() ? end : std::string_view::npos;
  }
};

void NoteField(std::string_view field, PollLines& poll) {
  poll.lastField = field;
  poll.sawField = true;
  if (!field.empty()) poll.lines.push_back(field);
}

// Splits whole fields out of bytes, which start at file offset `offset`. The decoder appends
// while we read: a last line without its line end is left for the next poll, unless the file
// is finished (whole). A Ctrl-Z ends a line like a line end, so nothing written after one is lost.
void SplitFields(std::string_view bytes, int64_t offset, bool skipFirstPart, bool whole, PollLines& poll) {
  FieldEnds ends{bytes};
  size_t start = 0;
  for (size_t end = ends.After(0); end != std::string_view::npos; end = ends.After(start)) {
    std::string_view field = TrimmedView(bytes.substr(start, end - start));
    if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
    start = end + 1;
    poll.resumePosition = offset + static_cast<int64_t>(start);
    if (skipFirstPart) {  // the tail of a line cut by the size bound
      skipFirstPart = false;
      continue;
    }
    NoteField(field, poll);
  }
  if (whole && start < bytes.size()) {
    NoteField(TrimmedView(bytes.substr(start)), poll);
    poll.resumePosition = offset + static_cast<int64_t>(bytes.size());
  }
}

// Reads from the last byte seen (normally the line end of the last line, an empty field),
// at most the newest kMaxPollBytes.
PollLines ReadNewLines(TextFile& file, int64_t allTxtPosition, int64_t size, bool whole) {
  PollLines poll;
  poll.resumePosition = allTxtPosition;
  int64_t from = allTxtPosition > 1 ? allTxtPosition - 1 : 0;
  bool cut = size - from > kMaxPollBytes;
  if (cut) from = size - kMaxPollBytes;
  ReadOpenFileAt(file.handle, from, size - from, poll.bytes);
  SplitFields(poll.bytes, from, cut, whole, poll);
  return poll;
}

std::string FolderOf(const std::string& path) {
  size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? "." : path.substr(0, separator);
}

std::string FileNameOf(const std::string& path) {
  size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// What the status row says while there is no decode file to read.
std::string WaitingNotice(const std::string& path, int errorNumber) {
  // WSJT-X never run here, a wrong LOCALAPPDATA, or a second radio's name not given.
  if (errorNumber == kPathNotFound)
    return "Waiting for WSJT-X's folder " + FolderOf(path) + " (start WSJT-X once, or --rig NAME)";
  std::string notice = "Waiting for " + FileNameOf(path);
  std::string kind = OddFileKindOf(path);
  if (!kind.empty()) return notice + ": it is " + kind + ", not a file";
  return errorNumber == kFileNotFound ? notice : notice + ":" + ErrorReport(errorNumber);
}

// The decode files of WSJT-X's folder as they stand now.
std::vector<SeenDecodeFile> LookAtDecodeFiles(const std::string& folder) {
  std::vector<SeenDecodeFile> files;
  for (const FolderEntry& entry : FilesInFolder(folder, IsDecodeFileName)) {
    TextFile file;
    if (!OpenForReading(file, JoinPath(folder, entry.name), FileShare::kReadWrite)) continue;
    files.push_back({entry.name, OpenFileIdentity(file.handle), FileSize(file), entry.modified});
  }
  return files;
}

const SeenDecodeFile* FindByIdentity(const std::vector<SeenDecodeFile>& files, const FileIdentity& identity) {
  if (!identity.known) return nullptr;
  auto at = std::find_if(files.begin(), files.end(), [&](const SeenDecodeFile& file) { return file.identity == identity; });
  return at == files.end() ? nullptr : &*at;
}

// The file WSJT-X writes now: the one followed while it still grows, whatever name it has and
// whatever else appears beside it; else the newest (at the turn of a month a new one appears).
const SeenDecodeFile* FileToFollow(const std::vector<SeenDecodeFile>& files, const DecodeFileTrack& track) {
  const SeenDecodeFile* followed = FindByIdentity(files, track.mark.identity);
  if (followed && followed->size > track.mark.size) return followed;
  const SeenDecodeFile* newest = nullptr;
  for (const SeenDecodeFile& file : files) {
    if (!newest || file.modified > newest->modified || (file.modified == newest->modified && file.name > newest->name))
      newest = &file;
  }
  return newest;
}

// Where reading a file not followed at the last poll begins, as a read position: where it ended
// at the last look; the start of a file the decoder began since; the end of one copied in.
int64_t StartOfOtherFile(const SeenDecodeFile& file, const DecodeFileTrack& track) {
  if (const SeenDecodeFile* seen = FindByIdentity(track.seen, file.identity)) return std::min(seen->size, file.size);
  bool looked = track.mark.identity.known || track.waiting;
  return looked && file.size > kFreshFileBytes ? file.size : 0;
}

// What the decoder wrote last into a file that was since renamed away, erased or replaced:
// ours still, through the handle kept open.
void ReadRestOfHeldFile(DecodeFileTrack& track, int64_t allTxtPosition, const std::function<void(const PollLines&)>& take) {
  if (!track.file.handle) return;
  take(ReadNewLines(track.file, allTxtPosition, FileSize(track.file), true));
  CloseFile(track.file);
}

}  // namespace

bool IsDecodeFileName(const std::string& name) {
  if (name == kDecodeFileName) return true;
  size_t dateLength = name.size() - std::min(name.size(), kDecodeFileName.size() + 1);
  if ((dateLength != 4 && dateLength != 7) || !EndsWith(name, "-" + kDecodeFileName)) return false;
  for (size_t i = 0; i < dateLength; ++i)
    if (!(i == 4 ? name[i] == '-' : IsDigit(name[i]))) return false;
  return true;
}

void NoteDecodeFileEnd(const std::string& allTxtPath, int64_t& allTxtPosition, DecodeFileTrack& track) {
  track = DecodeFileTrack{};
  allTxtPosition = 0;
  track.seen = LookAtDecodeFiles(FolderOf(allTxtPath));
  const SeenDecodeFile* current = FileToFollow(track.seen, track);
  track.path = current ? JoinPath(FolderOf(allTxtPath), current->name) : allTxtPath;
  TextFile file;
  if (!OpenForReading(file, track.path, FileShare::kReadWrite)) return;
  allTxtPosition = FileSize(file);
  track.mark = MarkOf(file, allTxtPosition);
  if (MayHoldFollowedFiles()) track.file = std::move(file);
}

void FollowDecodeFile(const std::string& allTxtPath, int64_t& allTxtPosition, DecodeFileTrack& track,
                      std::string& errorText, const std::function<void(const PollLines&)>& take) {
  errorText.clear();
  std::string folder = FolderOf(allTxtPath);
  std::vector<SeenDecodeFile> files = LookAtDecodeFiles(folder);
  const SeenDecodeFile* current = FileToFollow(files, track);
  std::string path = current ? JoinPath(folder, current->name) : allTxtPath;
  TextFile file;
  if (!OpenForReading(file, path, FileShare::kReadWrite)) {
    // Erased (WSJT-X makes it anew with its next decode), not made yet on a new install, or
    // no WSJT-X folder yet.
    ReadRestOfHeldFile(track, allTxtPosition, take);
    track = DecodeFileTrack{};
    track.waiting = true;
    track.notice = WaitingNotice(path, file.error);
    track.seen = std::move(files);
    allTxtPosition = 0;
    return;
  }
  int64_t size = FileSize(file);
  FileMark now = MarkOf(file, size);
  if (now.identity != track.mark.identity) {
    ReadRestOfHeldFile(track, allTxtPosition, take);
    // A file the look at the folder missed (made by WSJT-X between the look and the open) is
    // one never seen before.
    SeenDecodeFile opened = current ? *current : SeenDecodeFile{FileNameOf(path), now.identity, size, {}};
    allTxtPosition = StartOfOtherFile(opened, track);
  } else if (!OnlyGrew(track.mark, file, now)) {
    allTxtPosition = 0;  // rewritten in place: read from its start
  }
  PollLines poll = ReadNewLines(file, allTxtPosition, size, false);
  allTxtPosition = poll.resumePosition;
  take(poll);
  track.path = path;
  track.mark = now;
  track.waiting = false;
  track.notice.clear();
  track.seen = std::move(files);
  if (MayHoldFollowedFiles()) track.file = std::move(file);
}
