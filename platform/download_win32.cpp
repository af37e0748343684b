// Downloads on Windows with WinHTTP. Not urlmon's URLDownloadToFileA: it answers S_OK for a
// 404 and keeps the error page, it has no limit on a download that stops making progress (its
// waits ignore wininet's time options, and its progress reports come too seldom to tell slow
// from stalled), and it keeps every reply, session key and logbook included, in the user's
// Internet cache. WinHTTP gives the status, a time limit on each wait, and no cache.
#include "platform/fetch.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/wide_win32.h"

namespace {

// Closes a WinHTTP handle when the download ends, however it ends.
struct HttpHandle {
  HINTERNET handle = nullptr;
  HttpHandle(HINTERNET opened) : handle(opened) {}
  HttpHandle(const HttpHandle&) = delete;
  HttpHandle& operator=(const HttpHandle&) = delete;
  ~HttpHandle() {
    if (handle) WinHttpCloseHandle(handle);
  }
};

std::string ReasonFor(DWORD error) {
  switch (error) {
    case ERROR_WINHTTP_TIMEOUT: return "no progress for " + std::to_string(NoProgressSeconds()) + " seconds";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED: return "the server's name could not be resolved";
    case ERROR_WINHTTP_CANNOT_CONNECT: return "Failed to connect to the server";
    case ERROR_WINHTTP_CONNECTION_ERROR: return "the connection broke off";
    case ERROR_WINHTTP_INVALID_URL: case ERROR_WINHTTP_UNRECOGNIZED_SCHEME: return "the address is not valid";
    case ERROR_WINHTTP_SECURE_FAILURE: return "the secure connection failed";
    default: return "the download failed";
  }
}

std::string Failure(DWORD error) { return ReasonFor(error) + " (WinHTTP error " + std::to_string(error) + ")"; }

struct UrlParts {
  std::wstring host, path;
  INTERNET_PORT port = 0;
  bool secure = false;
};

bool SplitUrl(const std::string& url, UrlParts& parts) {
  std::wstring wide = WideFromUtf8(url);
  URL_COMPONENTS components{};
  components.dwStructSize = sizeof components;
  components.dwHostNameLength = static_cast<DWORD>(-1);
  components.dwUrlPathLength = static_cast<DWORD>(-1);
  components.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(wide.c_str(), 0, 0, &components)) return false;
  parts.host.assign(components.lpszHostName, components.dwHostNameLength);
  parts.path.assign(components.lpszUrlPath, components.dwUrlPathLength);
  parts.path.append(components.lpszExtraInfo, components.dwExtraInfoLength);  // the query, as encoded
  if (parts.path.empty()) parts.path = L"/";
  parts.port = components.nPort;
  parts.secure = components.nScheme == INTERNET_SCHEME_HTTPS;
  return true;
}

DWORD StatusOf(HINTERNET request) {
  DWORD status = 0, size = sizeof status;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                      &status, &size, WINHTTP_NO_HEADER_INDEX);
  return status;
}

// Each wait for data has the no-progress limit, and no more than what is left of the limit on
// the whole download, counted from the request (a slow gateway's headers count too).
void LimitWaits(HINTERNET request, const DownloadLimits& limits, ULONGLONG start) {
  ULONGLONG wait = static_cast<ULONGLONG>(NoProgressSeconds()) * 1000;
  if (limits.totalSeconds > 0) {
    ULONGLONG total = static_cast<ULONGLONG>(limits.totalSeconds) * 1000, spent = GetTickCount64() - start;
    wait = std::min(wait, total > spent ? total - spent : 1);
  }
  int limit = static_cast<int>(wait);
  WinHttpSetTimeouts(request, limit, limit, limit, limit);
}

// Why a download failed: a wait cut short by the limit on the whole download says so.
std::string FailureWithin(DWORD error, const DownloadLimits& limits, ULONGLONG start) {
  bool spent = limits.totalSeconds > 0 && GetTickCount64() - start >= static_cast<ULONGLONG>(limits.totalSeconds) * 1000;
  return error == ERROR_WINHTTP_TIMEOUT && spent ? TooLongFailure(limits) : Failure(error);
}

// The reply's body into target, piece by piece; each wait for a piece has the no-progress limit,
// the whole body the limits.
DownloadStatus CopyBody(HINTERNET request, std::FILE* target, std::string& failure, const DownloadLimits& limits,
                        ULONGLONG start, const ReceivedBytes& onReceived) {
  std::vector<char> piece(64 * 1024);
  int64_t received = 0;
  for (;;) {
    DWORD got = 0;
    if (!WinHttpReadData(request, piece.data(), static_cast<DWORD>(piece.size()), &got)) {
      failure = FailureWithin(GetLastError(), limits, start);
      return DownloadStatus::kUnreachable;
    }
    if (got == 0) return DownloadStatus::kDone;
    LimitWaits(request, limits, start);
    received += got;
    if (limits.maxBytes > 0 && received > limits.maxBytes) {
      failure = TooLargeFailure(limits);
      return DownloadStatus::kUnreachable;
    }
    if (limits.totalSeconds > 0 && GetTickCount64() - start >= static_cast<ULONGLONG>(limits.totalSeconds) * 1000) {
      failure = TooLongFailure(limits);
      return DownloadStatus::kUnreachable;
    }
    if (std::fwrite(piece.data(), 1, got, target) != got) {
      failure = std::string("writing the reply failed: ") + std::strerror(errno);
      return DownloadStatus::kNotWritten;
    }
    if (onReceived) onReceived(received);
  }
}

// The proxy the user set for Windows, as urlmon would take it (Windows 8.1 and later); the
// machine's WinHTTP setting where that is not known.
HINTERNET OpenSession() {
  std::wstring agent = WideFromUtf8(kUserAgent);
  HINTERNET session = WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0);
  if (session) return session;
  return WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
}

}  // namespace

DownloadStatus FetchToFile(const std::string& url, std::FILE* target, std::string& failure, const DownloadLimits& limits,
                           const ReceivedBytes& onReceived) {
  UrlParts parts;
  if (!SplitUrl(url, parts)) {
    failure = Failure(GetLastError());
    return DownloadStatus::kUnreachable;
  }
  HttpHandle session(OpenSession());
  HttpHandle connection(session.handle ? WinHttpConnect(session.handle, parts.host.c_str(), parts.port, 0) : nullptr);
  HttpHandle request(connection.handle ? WinHttpOpenRequest(connection.handle, L"GET", parts.path.c_str(), nullptr,
                                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                            parts.secure ? WINHTTP_FLAG_SECURE : 0)
                                       : nullptr);
  if (!request.handle) {
    failure = Failure(GetLastError());
    return DownloadStatus::kUnreachable;
  }
  ULONGLONG start = GetTickCount64();
  LimitWaits(request.handle, limits, start);
  DWORD redirects = kMaxRedirects;
  WinHttpSetOption(request.handle, WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects, sizeof redirects);
  // WinHTTP follows HTTP and HTTPS only; never from HTTPS down to plain HTTP.
  DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
  WinHttpSetOption(request.handle, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy);
  // gzip and deflate asked for and decoded (Windows 8.1 and later): a compressing proxy is read.
  DWORD decompression = WINHTTP_DECOMPRESSION_FLAG_ALL;
  WinHttpSetOption(request.handle, WINHTTP_OPTION_DECOMPRESSION, &decompression, sizeof decompression);
  if (!WinHttpSendRequest(request.handle, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.handle, nullptr)) {
    failure = FailureWithin(GetLastError(), limits, start);
    return DownloadStatus::kUnreachable;
  }
  DownloadStatus status = CopyBody(request.handle, target, failure, limits, start, onReceived);
  DWORD code = StatusOf(request.handle);
  if (status == DownloadStatus::kDone && code >= 400) {
    failure = "the server answered HTTP " + std::to_string(code);
    return DownloadStatus::kHttpError;
  }
  return status;
}
