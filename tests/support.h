// Helpers shared by the tests: scratch folders, files, and readable screen checks.
#pragma once

#include <string>
#include <vector>

#include "platform/console.h"  // the colour names of expected screens
#include "platform/environment.h"
#include "platform/files.h"

// A fresh folder under the system's temporary folder, removed with the object; while it
// lives the current directory is inside it (both programs work on the current directory).
struct ScratchFolder {
  std::string path;
  std::string previous;
  ScratchFolder();
  ~ScratchFolder();
  std::string File(const std::string& name) const { return JoinPath(path, name); }
};

void WriteFile(const std::string& path, const std::string& bytes);
void AppendFile(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
// A line of ALL.TXT as WSJT-X writes it, the message from column 49, without its line end.
std::string DecodeLine(const std::string& message, const std::string& frequency = "14.074",
                       const std::string& stamp = "210308_123045");

// A tmpfs of the given size ("8k") on folder, made when missing; false where that cannot be
// done (not root, not Linux). Unmount takes it away.
bool MountSmallFileSystem(const std::string& folder, const std::string& size);
void Unmount(const std::string& folder);
// Remounts a file system MountSmallFileSystem made read-only; false when it could not.
bool MakeReadOnly(const std::string& folder);
// The names of the files in folder that begin with prefix: what a save left beside its file.
std::vector<std::string> FilesBeginningWith(const std::string& folder, const std::string& prefix);

// "row 3 col 5: 'text' in fg on bg" when the cells differ, empty when they match.
std::string ScreenTextMismatch(int row, int column, const std::string& text, int foreground, int background);
