// The logbook download: the service's escaped ADIF, unescaped record by record.
#include "monitor/qrz/logbook.h"

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
const std::string kDataStart = "=&lt;";
const std::string kRecordEnd = "&lt;eor&gt;";

struct Copy {
  TextFile output;
  std::string pending;  // text since the last record's end
  int records = 0;
};

void ShowCount(int records) {
  ConsoleLocate(kCountRow, kCountColumn);
  ConsolePrintLine("Processing:" + NumberPrintText(records) + "QSO Records      ");
}

void WriteRecord(Copy& copy) {
  std::string record = ReplaceAll(copy.pending, "\n", "");
  record = ReplaceAll(ReplaceAll(record, "&lt;", "<"), "&gt;", ">");
  WriteLine(copy.output, record);
  copy.pending.clear();
  ShowCount(++copy.records);
}

// The tests run after every byte, so a marker split across reads is still seen whole.
void TakeByte(Copy& copy, char byte) {
  copy.pending += byte;
  if (copy.records == 0 && EndsWith(copy.pending, kDataStart)) copy.pending = "&lt;";
  if (EndsWith(copy.pending, kRecordEnd)) WriteRecord(copy);
}

void CopyReply(Copy& copy) {
  TextFile reply;
  if (!OpenForReading(reply, glb_TempFileName, FileShare::kExclusive)) return;
  std::string chunk;
  while (ReadChunk(reply, chunk))
    for (char byte : chunk) TakeByte(copy, byte);
  CloseFile(reply);
}

}  // namespace

void DownloadLogBook(const std::string& fileName) {
  bool fetched = RequestToTempFile(QrzLogbookBase() + "/api?KEY=" + glb_QRZLogBookKey + "&ACTION=FETCH");
  std::string newCopy = fileName + ".new";
  Copy copy;
  if (OpenForWriting(copy.output, newCopy, true)) {
    WriteLine(copy.output, "Download Time Stamp: " + ClockDateText() + " " + ClockTimeText());
    if (fetched) CopyReply(copy);
    CloseFile(copy.output);
    if (copy.records > 0) ReplaceFile(newCopy, fileName);
    else RemoveFile(newCopy);
  }
  ConsoleLocate(kCountRow, kCountColumn);
  ConsolePrintLine(std::string(40, ' '));
}
