// The logbook download: the service's escaped ADIF, unescaped record by record.
#include "monitor/qrz/logbook.h"

#include <algorithm>
#include <chrono>
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
constexpr size_t kCopyBufferBytes = 1 << 20;
// A real record is about a kilobyte: one without its end past this is no logbook.
constexpr size_t kMaxRecordBytes = 1 << 20;
// A decade's logbook is some 100 MB and a minute's download on a slow line; a reply that
// trickles or never ends must still end the start-up.
constexpr DownloadLimits kLogbookLimits{10 * 60, int64_t{2} << 30};
constexpr int kProgressMilliseconds = 250;
const std::string kDataStart = "=&lt;";
const std::string kRecordEnd = "&lt;eor&gt;";
const std::string kStampLabel = "Download Time Stamp: ";

struct Copy {
  std::function<void(const std::string&)> writeRecord;
  std::string pending;  // text since the last record's end
  std::string head;     // the reply's first bytes
  std::string record;   // the record being written, unescaped
  int records = 0;
  std::string fault;    // why the copy stopped before the reply's end
};

void ShowReceived(int64_t bytes) {
  ConsoleLocate(kCountRow, kCountColumn);
  ConsolePrintLine("Received:" + NumberPrintText(static_cast<double>(bytes)) + "bytes       ");
  ConsoleFlush();
}

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
// stands for and the bytes it takes; 0 when it is neither, and then nothing is taken.
char EntityAt(const char* text, size_t size, size_t at, size_t& taken) {
  if (at + 4 <= size && text[at + 2] == 't' && text[at + 3] == ';' && (text[at + 1] == 'l' || text[at + 1] == 'g')) {
    taken = 4;  // as the service writes them: nothing between the letters
    return text[at + 1] == 'l' ? '<' : '>';
  }
  size_t l = SkipLineFeeds(text, size, at + 1);
  size_t t = l < size ? SkipLineFeeds(text, size, l + 1) : size;
  size_t semicolon = t < size ? SkipLineFeeds(text, size, t + 1) : size;
  if (semicolon >= size || (text[l] != 'l' && text[l] != 'g') || text[t] != 't' || text[semicolon] != ';') return 0;
  taken = semicolon + 1 - at;
  return text[l] == 'l' ? '<' : '>';
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
  copy.writeRecord(copy.record);
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
  if (text.size() > kMaxRecordBytes) copy.fault = "a record of the reply was larger than 1 MB";
}

void CopyReply(Copy& copy) {
  TextFile reply;
  if (!OpenForReading(reply, glb_TempFileName, FileShare::kExclusive)) return;
  std::string chunk;
  while (copy.fault.empty() && ReadChunk(reply, chunk)) {
    if (copy.head.size() < kHeadBytes) copy.head += chunk.substr(0, kHeadBytes - copy.head.size());
    TakeChunk(copy, chunk);
  }
  CloseFile(reply);
}

// The reply's fields, "KEY=value" between "&": RESULT, STATUS, COUNT, REASON. They come in
// no fixed order: before "ADIF=" in the head, or after the last record in the tail (where the
// service puts RESULT too). The ADIF itself holds raw "&", so it is never read for fields.
// A key or value without the line breaks and blanks around it.
std::string FieldText(const std::string& text) { return TrimBlanks(ReplaceAll(ReplaceAll(text, "\r", ""), "\n", "")); }

void ReadReplyFields(const std::string& text, bool stopAtAdif, std::map<std::string, std::string>& fields) {
  size_t from = 0;
  while (from <= text.size()) {
    size_t amp = std::min(text.find('&', from), text.size());
    std::string part = text.substr(from, amp - from);
    size_t equals = part.find('=');
    std::string key = equals == std::string::npos ? "" : UpperCase(FieldText(part.substr(0, equals)));
    if (stopAtAdif && key == "ADIF") return;
    if (!key.empty() && key.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_") == std::string::npos)
      fields.emplace(key, FieldText(part.substr(equals + 1)));
    from = amp + 1;
  }
}

// The service's reason, without the key it echoes back ("invalid api key <key>").
std::string ReasonOf(const std::map<std::string, std::string>& fields) {
  auto reason = fields.find("REASON");
  if (reason == fields.end()) return "the QRZ logbook service sent no logbook";
  std::string text = reason->second;
  if (!glb_QRZLogBookKey.empty()) text = TrimBlanks(ReplaceAll(text, glb_QRZLogBookKey, ""));
  return text.rfind("invalid api key", 0) == 0 ? "invalid api key" : text;
}

// Why the reply must not replace the previous copy; empty when it may.
std::string CopyFault(const Copy& copy) {
  if (!copy.fault.empty()) return copy.fault;
  std::map<std::string, std::string> fields;
  ReadReplyFields(copy.head, true, fields);
  if (copy.records > 0) ReadReplyFields(copy.pending, false, fields);
  std::string result = fields.count("RESULT") ? fields["RESULT"] : fields["STATUS"];
  if (result != "OK") return ReasonOf(fields);
  if (!fields.count("COUNT")) return "the reply gave no record count";
  int32_t expected = TextToWholeNumber(fields["COUNT"]);
  if (copy.records != expected)
    return "the reply was cut short (" + std::to_string(copy.records) + " of " + std::to_string(expected) + " records)";
  return "";
}

// The stamp line, then the reply a record a line; the reply's fault, if it has one.
std::string WriteCopy(TextFile& output) {
  // A failed write is the stream's: WriteFileWhole reports it.
  Copy copy{[&output](const std::string& record) { WriteLine(output, record); }, {}, {}, {}, 0, {}};
  ClockReading now = ReadClock();
  WriteLine(output, kStampLabel + now.date + " " + now.time);
  CopyReply(copy);
  if (copy.records % kRecordsPerCount != 0) ShowCount(copy.records);
  return CopyFault(copy);
}

}  // namespace

std::vector<std::string> CopiedRecords(const std::string& reply, size_t pieceSize) {
  std::vector<std::string> records;
  Copy copy{[&records](const std::string& record) { records.push_back(record); }, {}, {}, {}, 0, {}};
  for (size_t at = 0; at < reply.size() && copy.fault.empty(); at += pieceSize) TakeChunk(copy, reply.substr(at, pieceSize));
  return records;
}

std::string CopyTimeStamp(const std::string& fileName) {
  TextFile file;
  std::string line;
  if (OpenForReading(file, fileName, FileShare::kReadWrite)) ReadLine(file, line);
  CloseFile(file);
  return line.rfind(kStampLabel, 0) == 0 ? line.substr(kStampLabel.size()) : "";
}

void WriteLogBookCopy(const std::string& fileName, std::string& errorText) {
  errorText.clear();
  // 100,000 records in 4 KB writes are 20,000 system calls; in 1 MB writes, about 80.
  WriteFileWhole(fileName, WriteCopy, errorText, kCopyBufferBytes);
}

void DownloadLogBook(const std::string& fileName, std::string& errorText) {
  std::string failure;
  // What has come so far, a few times a second on one line: a large logbook takes a while.
  auto shown = std::chrono::steady_clock::now() - std::chrono::milliseconds(kProgressMilliseconds);
  int64_t last = -1;
  auto showReceived = [&shown, &last](int64_t received) {
    last = received;
    auto now = std::chrono::steady_clock::now();
    if (now - shown < std::chrono::milliseconds(kProgressMilliseconds)) return;
    shown = now;
    ShowReceived(received);
  };
  DownloadStatus status = RequestToTempFile(
      QrzLogbookBase() + "/api?KEY=" + PercentEncoded(glb_QRZLogBookKey) + "&ACTION=FETCH", failure, kLogbookLimits,
      showReceived);
  if (last >= 0) ShowReceived(last);  // the whole of it
  if (status == DownloadStatus::kDone) WriteLogBookCopy(fileName, errorText);
  else errorText = failure;
  ConsoleLocate(kCountRow, kCountColumn);
  ConsolePrintLine(std::string(40, ' '));
}
