// Fetching a URL into a file, synchronously (where the design had URLDownloadToFileA).
#pragma once

#include <functional>
#include <string>

#include <cstdint>

inline constexpr const char* kUserAgent = "Dxvane/2021.03.08";
inline constexpr int kNoProgressSeconds = 30;
inline constexpr int kMaxRedirects = 10;

// What a download may take besides the no-progress limit. A callsign lookup or a session is a
// few kilobytes: a server that trickles an endless reply must not hold the monitor.
struct DownloadLimits {
  int totalSeconds = 0;  // 0: none
  int64_t maxBytes = 0;  // 0: none
};
inline constexpr DownloadLimits kSmallReplyLimits{20, 1 << 20};

enum class DownloadStatus {
  kDone,
  kHttpError,    // the server answered with a status of 400 or above
  kUnreachable,  // no connection, no progress for kNoProgressSeconds, or past the limits
  kNotWritten,   // the target could not be made or written
};

// Empties the target first; follows up to kMaxRedirects redirects; takes gzip and deflate.
// Without limits a download has no limit on its total time, only on connecting and on making no
// progress (by our own clock), so a large logbook on a slow line completes. The target is our
// own private file (see OpenPrivateFileForWriting): it holds the session key and the logbook.
// failure says what went wrong, for the operator.
// Told the bytes received so far as they come, for a download the operator waits on.
using ReceivedBytes = std::function<void(int64_t received)>;
DownloadStatus DownloadToFile(const std::string& url, const std::string& targetPath, std::string& failure,
                              const DownloadLimits& limits = {}, const ReceivedBytes& onReceived = nullptr);
// Tests shorten the no-progress limit; 0 restores kNoProgressSeconds.
void SetNoProgressSeconds(int seconds);
