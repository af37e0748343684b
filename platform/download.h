// Fetching a URL into a file, synchronously (where the design had URLDownloadToFileA).
#pragma once

#include <string>

inline constexpr const char* kUserAgent = "Dxvane/2021.03.08";
inline constexpr int kNoProgressSeconds = 30;

enum class DownloadStatus {
  kDone,
  kHttpError,    // the server answered with a status of 400 or above
  kUnreachable,  // no connection, or no progress for kNoProgressSeconds
  kNotWritten,   // the target could not be made or written
};

// Empties the target first; follows redirects. A download has no limit on its total time, only
// on connecting and on making no progress, so a large logbook on a slow line completes. The
// target is our own private file (see OpenPrivateFileForWriting): it holds the session key and
// the logbook. failure says what went wrong, for the operator.
DownloadStatus DownloadToFile(const std::string& url, const std::string& targetPath, std::string& failure);
// Tests shorten the no-progress limit; 0 restores kNoProgressSeconds.
void SetNoProgressSeconds(int seconds);
