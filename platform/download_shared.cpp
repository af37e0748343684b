// Downloading into our private file, the same on every platform around its fetch.
#include <cerrno>
#include <cstring>

#include "platform/fetch.h"
#include "platform/files.h"

namespace {

int noProgressSeconds = kNoProgressSeconds;

}  // namespace

int NoProgressSeconds() { return noProgressSeconds; }

void SetNoProgressSeconds(int seconds) { noProgressSeconds = seconds > 0 ? seconds : kNoProgressSeconds; }

std::string TooLongFailure(const DownloadLimits& limits) {
  return "the reply took longer than " + std::to_string(limits.totalSeconds) + " seconds";
}

std::string TooLargeFailure(const DownloadLimits& limits) {
  return "the reply was larger than " + std::to_string(limits.maxBytes / 1024) + " KB";
}

DownloadStatus DownloadToFile(const std::string& url, const std::string& targetPath, std::string& failure,
                              const DownloadLimits& limits, const ReceivedBytes& onReceived) {
  failure.clear();
  int errorNumber = 0;
  std::FILE* target = OpenPrivateFileForWriting(targetPath, errorNumber);
  if (!target) {
    failure = "cannot write " + targetPath + ": " + std::strerror(errno);
    return DownloadStatus::kNotWritten;
  }
  DownloadStatus status = FetchToFile(url, target, failure, limits, onReceived);
  if (std::fclose(target) != 0 && status == DownloadStatus::kDone) {
    failure = "writing " + targetPath + " failed: " + std::strerror(errno);
    status = DownloadStatus::kNotWritten;
  }
  return status;
}
