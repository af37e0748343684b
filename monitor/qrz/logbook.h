// Downloading the operator's QRZ logbook into a local copy, one ADIF record per line.
#pragma once

#include <string>

// Writes the copy beside fileName and puts it in its place only when at least one record
// came, so a failed or refused download keeps the previous copy. Shows a running count.
void DownloadLogBook(const std::string& fileName);
