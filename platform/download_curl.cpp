// Downloads on libcurl.
#include "platform/fetch.h"

#include <curl/curl.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

// What the callbacks keep of one download. The limits are measured here, by our own clock:
// libcurl's low-speed limit averages over its window and fires seconds late on a partial body.
struct Transfer {
  std::FILE* target = nullptr;
  DownloadLimits limits;
  ReceivedBytes onReceived;
  int64_t received = 0;
  Clock::time_point start = Clock::now();
  Clock::time_point lastProgress = Clock::now();
  curl_off_t lastCount = -1;
  std::string stopped;  // why we stopped it; empty when we did not
};

size_t WriteToFile(char* data, size_t size, size_t count, void* context) {
  Transfer& transfer = *static_cast<Transfer*>(context);
  transfer.received += static_cast<int64_t>(size * count);
  if (transfer.limits.maxBytes > 0 && transfer.received > transfer.limits.maxBytes) {
    transfer.stopped = TooLargeFailure(transfer.limits);
    return 0;
  }
  size_t written = std::fwrite(data, size, count, transfer.target) * size;
  if (transfer.onReceived) transfer.onReceived(transfer.received);
  return written;
}

// Called at least once a second while the download runs; non-zero stops it.
int CheckProgress(void* context, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
  Transfer& transfer = *static_cast<Transfer*>(context);
  Clock::time_point now = Clock::now();
  if (downloaded + uploaded != transfer.lastCount) {
    transfer.lastCount = downloaded + uploaded;
    transfer.lastProgress = now;
  }
  auto seconds = [&](Clock::time_point since) { return std::chrono::duration<double>(now - since).count(); };
  if (seconds(transfer.lastProgress) >= NoProgressSeconds()) {
    transfer.stopped = "no progress for " + std::to_string(NoProgressSeconds()) + " seconds";
    return 1;
  }
  if (transfer.limits.totalSeconds > 0 && seconds(transfer.start) >= transfer.limits.totalSeconds) {
    transfer.stopped = TooLongFailure(transfer.limits);
    return 1;
  }
  return 0;
}

}  // namespace

DownloadStatus FetchToFile(const std::string& url, std::FILE* target, std::string& failure, const DownloadLimits& limits,
                           const ReceivedBytes& onReceived) {
  static bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  CURL* curl = initialised ? curl_easy_init() : nullptr;
  if (!curl) {
    failure = "the download library could not start";
    return DownloadStatus::kUnreachable;
  }
  Transfer transfer;
  transfer.target = target;
  transfer.limits = limits;
  transfer.onReceived = onReceived;
  char error[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  // Redirects go to HTTP and HTTPS only, and never from HTTPS down to plain HTTP.
  bool secure = url.rfind("https:", 0) == 0;
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects));
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");  // a compressing proxy is decoded
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(NoProgressSeconds()));
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, CheckProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  CURLcode result = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  if (!transfer.stopped.empty()) {
    failure = transfer.stopped;
    return DownloadStatus::kUnreachable;
  }
  if (result == CURLE_WRITE_ERROR) {
    failure = std::string("writing the reply failed: ") + std::strerror(errno);
    return DownloadStatus::kNotWritten;
  }
  if (result != CURLE_OK) {
    failure = *error ? error : curl_easy_strerror(result);
    return DownloadStatus::kUnreachable;
  }
  if (status >= 400) {
    failure = "the server answered HTTP " + std::to_string(status);
    return DownloadStatus::kHttpError;
  }
  return DownloadStatus::kDone;
}
