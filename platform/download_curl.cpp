// Downloads on libcurl.
#include "platform/fetch.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}

}  // namespace

DownloadStatus FetchToFile(const std::string& url, std::FILE* target, std::string& failure) {
  static bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  CURL* curl = initialised ? curl_easy_init() : nullptr;
  if (!curl) {
    failure = "the download library could not start";
    return DownloadStatus::kUnreachable;
  }
  char error[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(NoProgressSeconds()));
  // No total limit: fewer than 1 byte a second for that long is no progress.
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(NoProgressSeconds()));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, target);
  CURLcode result = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
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
