// What each platform's download file supplies to the shared DownloadToFile (platform only).
#pragma once

#include <cstdio>
#include <string>

#include "platform/download.h"

// Fetches url into the open target; failure says what went wrong. Connecting and every wait
// for data are limited to NoProgressSeconds(), the whole download only by limits.
DownloadStatus FetchToFile(const std::string& url, std::FILE* target, std::string& failure, const DownloadLimits& limits,
                           const ReceivedBytes& onReceived);
// What the operator reads when a download went past its limits.
std::string TooLongFailure(const DownloadLimits& limits);
std::string TooLargeFailure(const DownloadLimits& limits);
int NoProgressSeconds();
