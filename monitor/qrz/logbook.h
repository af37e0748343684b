// Downloading the operator's QRZ logbook into a local copy, one ADIF record per line.
#pragma once

#include <string>
#include <vector>

// Writes the copy beside fileName ("<fileName>.new") and puts it in its place only when the
// service said RESULT=OK, every record it counted came, and every write reached the disk; else
// the previous copy stays whole and errorText says why. Shows a running count.
void DownloadLogBook(const std::string& fileName, std::string& errorText);
// The copy step alone: glb_TempFileName, which holds the service's reply, into fileName, on
// the same terms. The count on screen moves every 1,000 records and at the end.
void WriteLogBookCopy(const std::string& fileName, std::string& errorText);
// The date and time a copy was downloaded, from its first line; empty when there is no copy.
std::string CopyTimeStamp(const std::string& fileName);
// The records the copy step makes of a reply that arrives in pieces of pieceSize bytes.
std::vector<std::string> CopiedRecords(const std::string& reply, size_t pieceSize);
