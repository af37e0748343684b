// Opening files the way each platform allows: shared with a writer, exclusive, or owner-only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum class FileShare {
  kExclusive,   // nobody else opens it meanwhile (where the platform can say so)
  kReadWrite,   // another program keeps appending while we read
};

// Opens an existing plain file for reading, never waiting on what stands there. On failure
// returns null and sets errorNumber (53 missing file, 76 missing folder, 70 refused or locked
// or a folder, 75 a FIFO, a device or anything else that is not a plain file).
std::FILE* OpenExistingForReading(const std::string& path, FileShare share, int& errorNumber);
// Creates or empties a file for writing. ownerOnly: readable by the owner alone where the
// platform has such a thing, and never written through a symbolic link.
std::FILE* OpenForWritingFile(const std::string& path, bool ownerOnly, int& errorNumber);
// What tells a file from another that later took its name: device and inode where the
// platform has them. Compared whole; a default one is "not known".
struct FileIdentity {
  uint64_t device = 0;
  uint64_t index = 0;
  bool known = false;
  bool operator==(const FileIdentity&) const = default;
};

FileIdentity OpenFileIdentity(std::FILE* file);
// Opens our own private file at path, emptied, for writing. A file of that name that is not
// our own plain file (another user's, a link, a device) is removed first and the file made
// anew, exclusively, readable by us alone. Null when that cannot be done (errorNumber says why;
// errno holds the system's reason).
std::FILE* OpenPrivateFileForWriting(const std::string& path, int& errorNumber);
// Creates a new private file (readable and writable by us alone) whose name is prefix followed by
// characters that no file there has yet, and sets path to it: two programs saving at once never
// share one. Null when it cannot be made.
std::FILE* CreateFreshPrivateFile(const std::string& prefix, std::string& path, int& errorNumber);
// Gives the file at path the owner, group and mode of the file at model where the platform
// allows; nothing when model is not there.
void CopyOwnerAndMode(const std::string& model, const std::string& path);
// True when we may put a file of ours in the place of path: it can be written (where it is
// there) and so can its folder.
bool CanReplaceFile(const std::string& path);
// Writes what the stream holds through to the disk; false when any of it failed.
bool FlushToDisk(std::FILE* file);
// A file being written that must not outlive an interruption (Ctrl+C, a closed terminal):
// the signal handlers remove it. An empty path marks none.
void MarkUnfinishedFile(const std::string& path);
// Removes the marked file; safe to call from a signal handler.
void RemoveUnfinishedFile();
// A folder made for this run alone, with the one file we keep in it: removed at the end.
void MarkFreshFolder(const std::string& folder, const std::string& fileName);
// Removes the marked folder and its file; safe to call from a signal handler.
void RemoveFreshFolder();
// Size of an open file in bytes.
int64_t OpenFileSize(std::FILE* file);
// Byte offset (from 0) of the next byte read.
int64_t OpenFileOffset(std::FILE* file);
// Byte offset (from 0) to read from next.
bool SeekOpenFile(std::FILE* file, int64_t offset);
// Up to count bytes from offset (from 0) into bytes; what the file holds there, nothing more.
bool ReadOpenFileAt(std::FILE* file, int64_t offset, int64_t count, std::string& bytes);
// The file a path finally names: symbolic links followed (relative ones from their folder).
std::string FinalPathOf(const std::string& path);
// Puts the file at `from` in the place of the file at `to`, replacing it.
bool ReplaceFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
bool FileExists(const std::string& path);
// True when the file is there and its owner made it read-only (mode without the owner's write
// bit; the read-only attribute on Windows), whoever we are: even root keeps it.
bool IsReadOnlyFile(const std::string& path);
// True when the file can be read and written by its owner, us, alone.
bool IsOwnerOnlyFile(const std::string& path);
// name in folder; when no file has that exact name, one whose name differs only in case.
std::string FindFileIgnoringCase(const std::string& folder, const std::string& name);
// Whether a file we follow may stay open between reads. On POSIX it may, and then the last
// lines of a file renamed away or erased can still be read. On Windows an open file cannot be
// replaced by a rename, and a deleted one keeps its name while we hold it, which would stop
// WSJT-X from making it anew.
bool MayHoldFollowedFiles();
// What stands at path when it is there but is not a plain file ("a FIFO", "a device", "a
// folder", "a socket"); empty for a plain file or nothing.
std::string OddFileKindOf(const std::string& path);
bool FolderExists(const std::string& path);
// A plain file of a folder as its listing gives it.
struct FolderEntry {
  std::string name;
  int64_t modified = 0;  // last written, in nanoseconds from the platform's epoch
};
// The plain files of a folder whose names are wanted; empty when it cannot be read.
std::vector<FolderEntry> FilesInFolder(const std::string& folder, bool (*wanted)(const std::string& name));
