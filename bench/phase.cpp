// dxvane_phase: one phase of the monitor on the benchmark data, for bench/run.sh to time beside
// the programs that only read or copy the same files.
//   dxvane_phase lists DATA     the start-up's worked and confirmed lists, as a whole process
//   dxvane_phase copy DATA      the logbook copy step (with its fsync), as a whole process
//   dxvane_phase readers DATA   each log reader paired with a read-and-count of the same file,
//                               in this process, pairs interleaved: one line a reader
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/globals.h"
#include "monitor/logs/logs.h"
#include "monitor/qrz/logbook.h"
#include "monitor/startup.h"
#include "platform/environment.h"
#include "platform/virtual.h"
#include "tools/bench_data.h"

namespace {

constexpr int kPairs = 9;

// The floor of any reader: the file read in 1 MB blocks and its line feeds counted.
size_t CountLineFeeds(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return 0;
  std::unique_ptr<char[]> block(new char[1 << 20]);
  size_t lines = 0;
  for (size_t count; (count = std::fread(block.get(), 1, 1 << 20, file)) > 0;)
    lines += static_cast<size_t>(std::count(block.get(), block.get() + count, '\n'));
  std::fclose(file);
  return lines;
}

double Milliseconds(const std::function<void()>& step) {
  auto start = std::chrono::steady_clock::now();
  step();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// name, reader min and median, reference min and median, median of the per-pair ratios (ms).
void Pair(const char* name, const std::function<void()>& reader, const std::string& file) {
  std::vector<double> readerTimes, referenceTimes, ratios;
  for (int i = 0; i < kPairs; ++i) {
    double reference = Milliseconds([&] { CountLineFeeds(file); });
    double measured = Milliseconds(reader);
    if (i == 0) continue;  // the first pair warms the page cache and the allocator
    readerTimes.push_back(measured);
    referenceTimes.push_back(reference);
    ratios.push_back(measured / reference);
  }
  std::printf("%s %.3f %.3f %.3f %.3f %.2f\n", name, *std::min_element(readerTimes.begin(), readerTimes.end()),
              Median(readerTimes), *std::min_element(referenceTimes.begin(), referenceTimes.end()),
              Median(referenceTimes), Median(ratios));
}

void Readers() {
  Pair("MergeWsjtxWorked", [] {
    WorkedList worked;
    WsjtxLogTrack track;
    std::string error;
    ReloadWsjtxWorked(worked, error, track);
  }, "WSJT-X/wsjtx_log.adi");
  Pair("LoadQrzWorked", [] {
    WorkedList worked;
    std::string error;
    LoadQrzWorked(worked, error);
  }, "N0VANE.adi.txt");
  Pair("LoadConfirmedDX", [] {
    ConfirmedList confirmed;
    std::string error;
    LoadConfirmedDX(confirmed, error);
  }, "N0VANE.adi.txt");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: dxvane_phase lists|copy|readers DATA\n");
    return 2;
  }
  std::string phase = argv[1], data = argv[2];
  WriteBenchData(data);
  if (chdir(data.c_str()) != 0) return 1;
  SetEnvironmentValue("LOCALAPPDATA", data);
  glb_QRZAccountName = "N0VANE";
  glb_TempFileName = data + "/QRZ_Data.tmp";
  ResetVirtualConsole();
  if (phase == "lists") {
    MonitorState state;
    BuildStartUpLists(state);
    return WorkedCount(state.worked) == 0 ? 1 : 0;
  }
  if (phase == "copy") {
    std::string error;
    WriteLogBookCopy("copy.adi.txt", error);
    if (!error.empty()) std::fprintf(stderr, "%s\n", error.c_str());
    return error.empty() ? 0 : 1;
  }
  if (phase == "readers") {
    Readers();
    return 0;
  }
  return 2;
}
