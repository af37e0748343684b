// The logbook download: the service's escaped ADIF, unescaped record by record.
#include "monitor/qrz/logbook.h"

#include <algorithm>
#include <functional>
#include <map>

#include "common/files.h"
#include "common/text.h"
#include "monitor/globals.h"
#include "monitor/qrz/reply.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/files.h"

namespace {

constexpr int kCountRow = 21;
constexpr int kCountColumn = 15;
constexpr size_t kHeadBytes = 4096;  // where RESULT and COUNT stand, before the ADIF
constexpr int kRecordsPerCount = 1000;
const std::string kDataStart = "=&lt;";
const std::string kRecordEnd = "&lt;eor&gt;";
const std::string kStampLabel = "Download Time Stamp: ";

struct Copy {
  TextFile& output;
  std::string pending;  // text since the last record's end
  std::string head;     // the reply's first bytes
  std::string record;   // the record being written, unescaped
  int records = 0;
};

void ShowCount(int records) {
  ConsoleLocate(kCountRow, kCountColumn);
  ConsolePrintLine("Processing:" + NumberPrintText(records) + "QSO Records      ");
}

// The byte after a "&" that matters, and where it stands, line feeds passed over (they are
// dropped before the entities are read, so "&l\nt;" is "<" too).
size_t SkipLineFeeds(const char* text, size_t size, size_t at) {
  while (at < size && text[at] == '\n') ++at;
  return at;
}

// "&lt;" or "&gt;" (line feeds within allowed) starting at text[at] == '&': the character it
// stands for and the bytes it takes; 0 when it is neither.
char EntityAt(const char* text, size_t size, size_t at, size_t& taken) {
  if (at + 4 <= size && text[at + 2] == 't' && text[at + 3] == ';' && (text[at + 1] == 'l' || text[at + 1] == 'g')) {
    taken = 4;  // as the service writes them: nothing between the letters
    return text[at + 1] == 'l' ? '<' : '>';
  }
  size_t l = SkipLineFeeds(text, size, at + 1);
  size_t t = l < size ? SkipLineFeeds(text, size, l + 1) : size;
  size_t semicolon = t < size ? SkipLineFeeds(text, size, t + 1) : size;
  if (semicolon >= size || text[t] != 't' || text[semicolon] != ';') return 0;
  taken = semicolon + 1 - at;
  return text[l] == 'l' ? '<' : text[l] == 'g' ? '>' : 0;
}

// Line feeds dropped, then "&lt;" and "&gt;" made "<" and ">"; no other entity is touched.
// One pass, written straight into the record's buffer.
void AppendUnescaped(const char* text, size_t size, std::string& record) {
  size_t start = record.size();
  record.resize(start + size);
  char* out = record.data() + start;
  for (size_t at = 0; at < size;) {
    char c = text[at];
    size_t taken = 1;
    char entity = c == '&' ? EntityAt(text, size, at, taken) : 0;
    if (c != '\n') *out++ = entity ? entity : c;
    at += taken;
  }
  record.resize(static_cast<size_t>(out - record.data()));
}

void WriteRecord(Copy& copy, const char* text, size_t size) {
  copy.record.clear();
  AppendUnescaped(text, size, copy.record);
  WriteLine(copy.output, copy.record);  // a failed write is the stream's: WriteFileWhole reports it
  // A screen line per thousand records: 100,000 records would queue 5 MB of screen output.
  if (++copy.records % kRecordsPerCount == 0) ShowCount(copy.records);
}

// The next "&lt;eor&gt;" from `from`. The reply is full of "&" (every "<" and ">" is one), so
// the search skips by the marker's length instead of stopping at each of them.
size_t FindRecordEnd(const std::string& text, size_t from) {
  static const std::boyer_moore_horspool_searcher<std::string::const_iterator> kSearcher(kRecordEnd.begin(),
                                                                                         kRecordEnd.end());
  auto found = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), kSearcher);
  return found == text.end() ? std::string::npos : static_cast<size_t>(found - text.begin());
}

// Before the first record, everything up to the last "=&lt;" that ends before the first
// record's end is the reply's head: dropped, the data starting at "&lt;". True when dropped.
bool DropReplyHead(std::string& text, size_t from, size_t recordEnd) {
  size_t limit = recordEnd == std::string::npos ? text.size() : recordEnd + kRecordEnd.size();
  size_t start = std::string::npos;
  for (size_t at = text.find(kDataStart, from); at != std::string::npos && at + kDataStart.size() <= limit;
       at = text.find(kDataStart, at + 1))
    start = at;
  if (start == std::string::npos) return false;
  text = "&lt;" + text.substr(start + kDataStart.size());
  return true;
}

// Takes the next piece of the reply; a marker split across pieces is still seen whole.
void TakeChunk(Copy& copy, const std::string& chunk) {
  std::string& text = copy.pending;
  size_t from = text.size() > kRecordEnd.size() ? text.size() - kRecordEnd.size() : 0;
  text += chunk;
  size_t recordStart = 0;
  for (;;) {
    size_t end = FindRecordEnd(text, from);
    if (copy.records == 0 && DropReplyHead(text, from, end)) {
      from = 0;
      continue;
    }
    if (end == std::string::npos) break;
    size_t after = end + kRecordEnd.size();
    WriteRecord(copy, text.data() + recordStart, after - recordStart);
    recordStart = from = after;
  }
  text.erase(0, recordStart);
}

void CopyReply(Copy& copy) {
  TextFile reply;
  if (!OpenForReading(reply, glb_TempFileName, FileShare::kExclusive)) return;
  std::string chunk;
  while (ReadChunk(reply, chunk)) {
    if (copy.head.size() < kHeadBytes) copy.head += chunk.substr(0, kHeadBytes - copy.head.size());
    TakeChunk(copy, chunk);
  }
  CloseFile(reply);
}

// RESULT, COUNT and REASON from "RESULT=OK&COUNT=3&ADIF=...".
std::map<std::string, std::string> ReplyHeadFields(const std::string& head) {
  std::map<std::string, std::string> fields;
  size_t from = 0;
  while (from < head.size()) {
    size_t amp = head.find('&', from);
    std::string part = head.substr(from, amp == std::string::npos ? std::string::npos : amp - from);
    size_t equals = part.find('=');
    if (equals == std::string::npos) break;
    std::string key = UpperCase(part.substr(0, equals));
    if (key == "ADIF") break;
    fields[key] = part.substr(equals + 1);
    if (amp == std::string::npos) break;
    from = amp + 1;
  }
  return fields;
}

// Why the reply must not replace the previous copy; empty when it may.
std::string CopyFault(const Copy& copy) {
  std::map<std::string, std::string> fields = ReplyHeadFields(copy.head);
  if (fields["RESULT"] != "OK") {
    std::string reason = fields.count("REASON") ? fields["REASON"] : "no logbook in its reply";
    return "the QRZ logbook service said: " + reason;
  }
  if (!fields.count("COUNT")) return "the reply gave no record count";
  int32_t expected = TextToWholeNumber(fields["COUNT"]);
  if (copy.records != expected)
    return "the reply was cut short (" + std::to_string(copy.records) + " of " + std::to_string(expected) + " records)";
  return "";
}

// The stamp line, then the reply a record a line; the reply's fault, if it has one.
std::string WriteCopy(TextFile& output) {
  Copy copy{output, {}, {}, {}, 0};
  ClockReading now = ReadClock();
  WriteLine(output, kStampLabel + now.date + " " + now.time);
  CopyReply(copy);
  if (copy.records % kRecordsPerCount != 0) ShowCount(copy.records);
  return CopyFault(copy);
}

}  // namespace

std::string CopyTimeStamp(const std::string& fileName) {
  TextFile file;
  std::string line;
  if (OpenForReading(file, fileName, FileShare::kReadWrite)) ReadLine(file, line);
  CloseFile(file);
  return line.rfind(kStampLabel, 0) == 0 ? line.substr(kStampLabel.size()) : "";
}

void WriteLogBookCopy(const std::string& fileName, std::string& errorText) {
  errorText.clear();
  WriteFileWhole(fileName, WriteCopy, errorText);
}

void DownloadLogBook(const std::string& fileName, std::string& errorText) {
  std::string failure;
  DownloadStatus status = RequestToTempFile(
      QrzLogbookBase() + "/api?KEY=" + PercentEncoded(glb_QRZLogBookKey) + "&ACTION=FETCH", failure);
  if (status == DownloadStatus::kDone) WriteLogBookCopy(fileName, errorText);
  else errorText = failure;
  ConsoleLocate(kCountRow, kCountColumn);
  ConsolePrintLine(std::string(40, ' '));
}
