// File opening on Windows: share modes as asked, 64-bit offsets, owner-only files by their
// access list, UTF-8 paths turned into the wide paths the system takes.
#include "platform/files.h"

#include <windows.h>
#include <aclapi.h>
#include <fcntl.h>
#include <io.h>
#include <sddl.h>

#include <cerrno>
#include <cwchar>
#include <vector>

#include "platform/wide_win32.h"

#undef ReplaceFile  // ours, not the Win32 macro for ReplaceFileW

namespace {

wchar_t unfinishedFile[4096];  // removed from the console's Ctrl+C handler: no allocation there

int ErrorNumberFor(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return 53;
    case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_NAME: case ERROR_BAD_NETPATH: case ERROR_INVALID_DRIVE: return 76;
    case ERROR_ACCESS_DENIED: case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: case ERROR_WRITE_PROTECT:
    case ERROR_CANT_ACCESS_FILE: return 70;
    default: return 75;
  }
}

// The callers explain failures with strerror(errno): the system's reason in C's terms.
void SetErrnoFor(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_DRIVE: errno = ENOENT; break;
    case ERROR_ACCESS_DENIED: case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: errno = EACCES; break;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: errno = ENOSPC; break;
    case ERROR_WRITE_PROTECT: errno = EROFS; break;
    case ERROR_FILE_EXISTS: case ERROR_ALREADY_EXISTS: errno = EEXIST; break;
    default: errno = EIO; break;
  }
}

// A C stream on the handle just opened; null with errorNumber set when there is none.
std::FILE* StreamFor(HANDLE handle, int flags, const char* mode, int& errorNumber) {
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    errorNumber = ErrorNumberFor(error);
    SetErrnoFor(error);
    return nullptr;
  }
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    errorNumber = 67;
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, mode);
  if (!file) {
    _close(fd);
    errorNumber = 67;
  }
  return file;
}

HANDLE HandleOf(std::FILE* file) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))); }

// "Full access for this user and nobody else, nothing inherited", as a security descriptor.
struct PrivateAccess {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PrivateAccess() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    wchar_t* sid = nullptr;
    if (size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid)) {
      std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(sid) + L")";
      ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr);
      LocalFree(sid);
    }
    CloseHandle(token);
  }
  PrivateAccess(const PrivateAccess&) = delete;
  PrivateAccess& operator=(const PrivateAccess&) = delete;
  ~PrivateAccess() { LocalFree(descriptor); }
  PACL List() const {
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = nullptr;
    if (descriptor) GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted);
    return present ? list : nullptr;
  }
};

const PrivateAccess& ThePrivateAccess() {
  static const PrivateAccess access;
  return access;
}

bool IsLink(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Writers share reading, and deletion, so that an interrupted write can still be removed (the
// handle's end removes the file).
constexpr int kSharingAttempts = 10;
constexpr int kReplaceAttempts = 50;  // a second

constexpr DWORD kWriterSharing = FILE_SHARE_READ | FILE_SHARE_DELETE;

}  // namespace

std::FILE* OpenExistingForReading(const std::string& path, FileShare share, int& errorNumber) {
  errorNumber = 0;
  // WSJT-X keeps ALL.TXT and its log open for writing while we read them.
  DWORD sharing = share == FileShare::kReadWrite ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : 0;
  std::wstring widePath = WideFromUtf8(path);
  HANDLE handle = INVALID_HANDLE_VALUE;
  // A file asked for alone may be held a moment by a virus scanner, which opens every file just
  // written: wait that moment out before calling it locked.
  for (int attempt = 0; attempt < kSharingAttempts; ++attempt) {
    handle = CreateFileW(widePath.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
    Sleep(20);
  }
  // A pipe or a device in the file's place is not a file to follow.
  if (handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    errorNumber = 75;
    return nullptr;
  }
  return StreamFor(handle, _O_RDONLY, "rb", errorNumber);
}

std::FILE* OpenForWritingFile(const std::string& path, bool ownerOnly, int& errorNumber) {
  errorNumber = 0;
  std::wstring widePath = WideFromUtf8(path);
  if (!ownerOnly) {
    HANDLE handle = CreateFileW(widePath.c_str(), GENERIC_WRITE, kWriterSharing, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    return StreamFor(handle, _O_WRONLY, "wb", errorNumber);
  }
  if (IsLink(widePath)) {
    errorNumber = 70;
    errno = EACCES;
    return nullptr;
  }
  // An emptied file would keep its old access list: an owner-only one is made anew.
  return OpenPrivateFileForWriting(path, errorNumber);
}

FileIdentity OpenFileIdentity(std::FILE* file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(HandleOf(file), &info)) return {};
  return {info.dwVolumeSerialNumber, (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow, true};
}

std::FILE* OpenPrivateFileForWriting(const std::string& path, int& errorNumber) {
  errorNumber = 0;
  std::wstring widePath = WideFromUtf8(path);
  auto createNew = [&widePath] {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, ThePrivateAccess().descriptor, FALSE};
    return CreateFileW(widePath.c_str(), GENERIC_WRITE, kWriterSharing, &attributes, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  };
  HANDLE handle = createNew();
  if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) {
    // Our own file from before is emptied, not replaced: another program (the demo's feed, a
    // virus scanner) may be reading it, and Windows lets no one remove a file held open.
    if (!IsLink(widePath) && IsOwnerOnlyFile(path)) {
      handle = CreateFileW(widePath.c_str(), GENERIC_WRITE, kWriterSharing, nullptr, TRUNCATE_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    } else if (DeleteFileW(widePath.c_str())) {  // someone else's, or a link: made anew for us
      handle = createNew();
    }
  }
  return StreamFor(handle, _O_WRONLY, "wb", errorNumber);
}

std::FILE* CreateFreshPrivateFile(const std::string& prefix, std::string& path, int& errorNumber) {
  SECURITY_ATTRIBUTES attributes{sizeof attributes, ThePrivateAccess().descriptor, FALSE};
  uint64_t seed = GetTickCount64() ^ (static_cast<uint64_t>(GetCurrentProcessId()) << 32);
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    seed = seed * 6364136223846793005u + 1442695040888963407u;
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "%06x", static_cast<unsigned>(seed >> 40) & 0xFFFFFF);
    path = prefix + suffix;
    handle = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, kWriterSharing, &attributes, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return StreamFor(handle, _O_WRONLY, "wb", errorNumber);
}

// The new file keeps the private access it was made with: Windows has no mode to copy.
void CopyOwnerAndMode(const std::string&, const std::string&) {}

bool CanReplaceFile(const std::string& path) {
  DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY);
}

// TEMP is always there on Windows: no folder is made for a run.
void MarkFreshFolder(const std::string&, const std::string&) {}
void RemoveFreshFolder() {}

bool FlushToDisk(std::FILE* file) {
  return std::fflush(file) == 0 && !std::ferror(file) && FlushFileBuffers(HandleOf(file));
}

void MarkUnfinishedFile(const std::string& path) {
  unfinishedFile[0] = 0;
  std::wstring widePath = WideFromUtf8(path);
  if (widePath.size() < sizeof unfinishedFile / sizeof unfinishedFile[0])
    std::wmemcpy(unfinishedFile, widePath.c_str(), widePath.size() + 1);
}

void RemoveUnfinishedFile() {
  if (unfinishedFile[0]) DeleteFileW(unfinishedFile);
  unfinishedFile[0] = 0;
}

int64_t OpenFileSize(std::FILE* file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(HandleOf(file), &size)) return 0;
  return size.QuadPart;
}

int64_t OpenFileOffset(std::FILE* file) { return _ftelli64(file); }

bool SeekOpenFile(std::FILE* file, int64_t offset) { return _fseeki64(file, offset, SEEK_SET) == 0; }

std::string FinalPathOf(const std::string& path) {
  std::wstring widePath = WideFromUtf8(path);
  if (!IsLink(widePath)) return path;
  HANDLE handle = CreateFileW(widePath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return path;
  wchar_t target[4096];
  DWORD length = GetFinalPathNameByHandleW(handle, target, 4096, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(handle);
  if (length == 0 || length >= 4096) return path;
  std::wstring final(target, length);
  // The system answers in its long form: \\?\C:\... or \\?\UNC\server\share\...
  if (final.rfind(L"\\\\?\\UNC\\", 0) == 0) final = L"\\\\" + final.substr(8);
  else if (final.rfind(L"\\\\?\\", 0) == 0) final = final.substr(4);
  return Utf8FromWide(final);
}

// A virus scanner opens every file just written: a replace that meets it is tried again for up
// to a second, as opens are.
bool ReplaceFile(const std::string& from, const std::string& to) {
  std::wstring wideFrom = WideFromUtf8(from), wideTo = WideFromUtf8(to);
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DWORD error = GetLastError();
    bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
    if (!held || attempt >= kReplaceAttempts) {
      SetErrnoFor(error);
      return false;
    }
    Sleep(20);
  }
}

bool RemoveFile(const std::string& path) { return DeleteFileW(WideFromUtf8(path).c_str()); }

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Owner-only: no entry of the file's access list lets anyone in but us, the system and the
// administrators (who can always take a file on Windows).
bool IsOwnerOnlyFile(const std::string& path) {
  PACL list = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(WideFromUtf8(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            &list, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  PACL ours = ThePrivateAccess().List();
  void* ourEntry = nullptr;
  bool alone = list && ours && GetAce(ours, 0, &ourEntry);
  for (DWORD i = 0; alone && i < list->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(list, i, &entry)) alone = false;
    else if (static_cast<ACE_HEADER*>(entry)->AceType == ACCESS_ALLOWED_ACE_TYPE) {
      PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(entry)->SidStart;
      alone = EqualSid(sid, &static_cast<ACCESS_ALLOWED_ACE*>(ourEntry)->SidStart) ||
              IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinBuiltinAdministratorsSid);
    }
  }
  LocalFree(descriptor);
  return alone;
}

// The Windows file system ignores case already.
std::string FindFileIgnoringCase(const std::string& folder, const std::string& name) {
  return folder + "\\" + name;
}

bool MayHoldFollowedFiles() { return false; }

bool ReadOpenFileAt(std::FILE* file, int64_t offset, int64_t count, std::string& bytes) {
  bytes.clear();
  if (count <= 0) return true;
  if (!SeekOpenFile(file, offset)) return false;
  bytes.resize(static_cast<size_t>(count));
  size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  bytes.resize(got);
  return !std::ferror(file);
}

bool IsReadOnlyFile(const std::string& path) {
  DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (attributes & FILE_ATTRIBUTE_READONLY);
}

std::string OddFileKindOf(const std::string& path) {
  DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return "";
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "a folder";
  return attributes & FILE_ATTRIBUTE_DEVICE ? "a device" : "";
}

bool FolderExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<FolderEntry> FilesInFolder(const std::string& folder, bool (*wanted)(const std::string& name)) {
  std::vector<FolderEntry> files;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(WideFromUtf8(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) continue;
    if (!wanted(Utf8FromWide(found.cFileName))) continue;
    // 100-nanosecond ticks since 1601.
    int64_t ticks = (int64_t{found.ftLastWriteTime.dwHighDateTime} << 32) | found.ftLastWriteTime.dwLowDateTime;
    files.push_back({Utf8FromWide(found.cFileName), ticks * 100});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return files;
}
