// File opening on POSIX: no share modes exist, so every read is shared; owner-only files
// are created 0600 with O_NOFOLLOW.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

char unfinishedFile[4096];  // written from a signal handler: a fixed buffer, no allocation
char freshFolder[4096];     // likewise
char freshFolderFile[4096];

std::string ParentFolder(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

int ErrorNumberFor(int error, const std::string& path) {
  if (error == EACCES || error == EPERM || error == ELOOP || error == EISDIR) return 70;
  if (error == ENOTDIR) return 76;
  if (error == ENOENT) {
    struct stat info;
    return stat(ParentFolder(path).c_str(), &info) == 0 ? 53 : 76;
  }
  return 75;
}

// A stream for the descriptor just opened; null with errorNumber set when there is none.
std::FILE* StreamFor(int fd, const char* mode, const std::string& path, int& errorNumber) {
  if (fd < 0) {
    errorNumber = ErrorNumberFor(errno, path);
    return nullptr;
  }
  std::FILE* file = fdopen(fd, mode);
  if (!file) {
    close(fd);
    errorNumber = 67;
  }
  return file;
}

// Last written, from stat, in nanoseconds.
int64_t ModifiedNanoseconds(const struct stat& info) {
#ifdef __APPLE__
  const timespec& when = info.st_mtimespec;
#else
  const timespec& when = info.st_mtim;
#endif
  return int64_t{when.tv_sec} * 1000000000 + when.tv_nsec;
}

}  // namespace

std::FILE* OpenExistingForReading(const std::string& path, FileShare, int& errorNumber) {
  errorNumber = 0;
  // Without O_NONBLOCK a FIFO in the file's place would hold us in open() until a writer came.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat info;
  if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
    close(fd);
    errorNumber = S_ISDIR(info.st_mode) ? 70 : 75;
    return nullptr;
  }
  if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return StreamFor(fd, "rb", path, errorNumber);
}

std::FILE* OpenForWritingFile(const std::string& path, bool ownerOnly, int& errorNumber) {
  errorNumber = 0;
  int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (ownerOnly ? O_NOFOLLOW : 0);
  int fd = open(path.c_str(), flags, ownerOnly ? 0600 : 0644);
  if (fd >= 0 && ownerOnly) fchmod(fd, 0600);  // an existing file keeps its old mode otherwise
  return StreamFor(fd, "wb", path, errorNumber);
}

FileIdentity OpenFileIdentity(std::FILE* file) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0) return {};
  return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino), true};
}

std::FILE* OpenPrivateFileForWriting(const std::string& path, int& errorNumber) {
  errorNumber = 0;
  struct stat info;
  bool ours = lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() && info.st_nlink == 1;
  int fd = ours ? open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC) : -1;
  struct stat opened;
  if (fd >= 0 && (fstat(fd, &opened) != 0 || opened.st_ino != info.st_ino || opened.st_dev != info.st_dev ||
                  ftruncate(fd, 0) != 0)) {
    close(fd);
    fd = -1;
  }
  if (fd < 0) {
    // Whatever stands there is not ours to write into: replace it, or give up.
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
      errorNumber = ErrorNumberFor(errno, path);
      return nullptr;
    }
    fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  }
  if (fd >= 0) fchmod(fd, 0600);
  return StreamFor(fd, "wb", path, errorNumber);
}

std::FILE* CreateFreshPrivateFile(const std::string& prefix, std::string& path, int& errorNumber) {
  std::string name = prefix + "XXXXXX";
  int fd = mkostemp(name.data(), O_CLOEXEC);  // 0600, made exclusively
  path = fd >= 0 ? name : prefix;
  return StreamFor(fd, "wb", path, errorNumber);
}

void CopyOwnerAndMode(const std::string& model, const std::string& path) {
  struct stat info;
  if (stat(model.c_str(), &info) != 0) return;
  if (chown(path.c_str(), info.st_uid, info.st_gid) != 0) {
    // Only root gives a file away; another user with write access keeps it as his, in its mode.
  }
  chmod(path.c_str(), info.st_mode & 07777);
}

bool CanReplaceFile(const std::string& path) {
  return access(ParentFolder(path).c_str(), W_OK | X_OK) == 0 && (access(path.c_str(), F_OK) != 0 || access(path.c_str(), W_OK) == 0);
}

bool FlushToDisk(std::FILE* file) {
  return std::fflush(file) == 0 && !std::ferror(file) && fsync(fileno(file)) == 0;
}

void MarkUnfinishedFile(const std::string& path) {
  unfinishedFile[0] = 0;
  if (path.size() < sizeof unfinishedFile) std::memcpy(unfinishedFile, path.c_str(), path.size() + 1);
}

void RemoveUnfinishedFile() {
  if (unfinishedFile[0]) unlink(unfinishedFile);
  unfinishedFile[0] = 0;
}

void MarkFreshFolder(const std::string& folder, const std::string& fileName) {
  freshFolder[0] = freshFolderFile[0] = 0;
  std::string file = folder + "/" + fileName;
  if (file.size() >= sizeof freshFolderFile) return;
  std::memcpy(freshFolder, folder.c_str(), folder.size() + 1);
  std::memcpy(freshFolderFile, file.c_str(), file.size() + 1);
}

void RemoveFreshFolder() {
  if (freshFolderFile[0]) unlink(freshFolderFile);
  if (freshFolder[0]) rmdir(freshFolder);
  freshFolder[0] = freshFolderFile[0] = 0;
}

int64_t OpenFileSize(std::FILE* file) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0) return 0;
  return info.st_size;
}

int64_t OpenFileOffset(std::FILE* file) { return static_cast<int64_t>(ftello(file)); }

bool SeekOpenFile(std::FILE* file, int64_t offset) {
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::string FinalPathOf(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    char target[4096];
    ssize_t length = readlink(current.c_str(), target, sizeof target - 1);
    if (length < 0) return current;
    std::string next(target, static_cast<size_t>(length));
    current = next[0] == '/' ? next : ParentFolder(current) + "/" + next;
  }
  return current;
}

bool ReplaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool IsOwnerOnlyFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && (info.st_mode & 0777) == 0600 && info.st_uid == geteuid();
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0;
}

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string FindFileIgnoringCase(const std::string& folder, const std::string& name) {
  std::string exact = folder + "/" + name;
  if (FileExists(exact)) return exact;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return exact;
  std::string found = exact;
  while (dirent* entry = readdir(dir)) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0) {
      found = folder + "/" + entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

bool MayHoldFollowedFiles() { return true; }

// pread: no seek, and no stdio buffer filled from an aligned offset for a few bytes.
bool ReadOpenFileAt(std::FILE* file, int64_t offset, int64_t count, std::string& bytes) {
  bytes.clear();
  if (count <= 0) return true;
  bytes.resize(static_cast<size_t>(count));
  size_t got = 0;
  while (got < bytes.size()) {
    ssize_t read = pread(fileno(file), bytes.data() + got, bytes.size() - got, static_cast<off_t>(offset + got));
    if (read < 0 && errno == EINTR) continue;
    if (read <= 0) {
      bytes.resize(got);
      return read == 0;
    }
    got += static_cast<size_t>(read);
  }
  return true;
}

std::string OddFileKindOf(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return "";
  if (S_ISFIFO(info.st_mode)) return "a FIFO";
  if (S_ISDIR(info.st_mode)) return "a folder";
  if (S_ISSOCK(info.st_mode)) return "a socket";
  return S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? "a device" : "not a plain file";
}

bool FolderExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<FolderEntry> FilesInFolder(const std::string& folder, bool (*wanted)(const std::string& name)) {
  std::vector<FolderEntry> files;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return files;
  while (dirent* entry = readdir(dir)) {
    if (!wanted(entry->d_name)) continue;
    struct stat info;
    if (stat((folder + "/" + entry->d_name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    files.push_back({entry->d_name, ModifiedNanoseconds(info)});
  }
  closedir(dir);
  return files;
}
