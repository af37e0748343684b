// Fetching a URL into a file, synchronously (the stand-in for URLDownloadToFileA).
#pragma once

#include <string>

inline constexpr const char* kUserAgent = "Dxvane/2021.03.08";

// Empties the target first; follows redirects; gives up after 30 s. False on a transport
// error or an HTTP status of 400 or above. The target is readable by its owner only and
// never written through a symbolic link: it holds the session key and the logbook.
bool DownloadToFile(const std::string& url, const std::string& targetPath);
