// Downloads on libcurl.
#include "platform/download.h"

#include <curl/curl.h>

#include <cstdio>

#include "platform/files.h"

namespace {

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}

bool Fetch(const std::string& url, std::FILE* target) {
  static bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  if (!initialised) return false;
  CURL* curl = curl_easy_init();
  if (!curl) return false;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, target);
  CURLcode result = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  return result == CURLE_OK && status < 400;
}

}  // namespace

bool DownloadToFile(const std::string& url, const std::string& targetPath) {
  int errorNumber = 0;
  std::FILE* target = OpenForWritingFile(targetPath, true, errorNumber);
  if (!target) return false;
  bool fetched = Fetch(url, target);
  bool written = std::fclose(target) == 0;
  return fetched && written;
}
