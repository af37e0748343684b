// Benchmarks of the readers and of a monitoring pass, on data the size of a decade's log
// (made by tools/bench_data). bench/run.sh sets them beside wc -l and cat on the same files.
// Bars (2-core machine): each log reader within 4x of wc -l on its file, the logbook copy
// within 4x of cat on the reply, a busy pass of 500 new lines under 0.1 ms and of 5,000
// under 0.5 ms.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "common/files.h"
#include "monitor/globals.h"
#include "monitor/logs/logs.h"
#include "monitor/loop.h"
#include "monitor/qrz/logbook.h"
#include "platform/virtual.h"
#include "tools/bench_data.h"

namespace {

// The data folder: DXVANE_BENCH_DATA, else one under /tmp made on first use.
const std::string& DataFolder() {
  static const std::string folder = [] {
    const char* given = std::getenv("DXVANE_BENCH_DATA");
    std::string path = given && *given ? given : "/tmp/dxvane-bench-data";
    WriteBenchData(path);
    setenv("LOCALAPPDATA", path.c_str(), 1);
    glb_QRZAccountName = "N0VANE";
    return path;
  }();
  return folder;
}

struct InDataFolder {
  std::string previous;
  InDataFolder() : previous(getcwd(nullptr, 0) ? std::string(getcwd(nullptr, 0)) : "/") {
    if (chdir(DataFolder().c_str()) != 0) std::abort();
  }
  ~InDataFolder() {
    if (chdir(previous.c_str()) != 0) std::abort();
  }
};

void BM_MergeWsjtxWorked(benchmark::State& state) {
  InDataFolder here;
  for (auto _ : state) {
    WorkedList worked;
    WsjtxLogTrack track;
    std::string error;
    ReloadWsjtxWorked(worked, error, track);
    benchmark::DoNotOptimize(WorkedCount(worked));
  }
}
BENCHMARK(BM_MergeWsjtxWorked)->Unit(benchmark::kMillisecond);

// The reload every second pass, when nothing was appended: what an idle monitor pays.
void BM_ReloadUnchangedLog(benchmark::State& state) {
  InDataFolder here;
  WorkedList worked;
  WsjtxLogTrack track;
  std::string error;
  ReloadWsjtxWorked(worked, error, track);
  for (auto _ : state) {
    ReloadWsjtxWorked(worked, error, track);
    benchmark::DoNotOptimize(WorkedCount(worked));
  }
}
BENCHMARK(BM_ReloadUnchangedLog)->Unit(benchmark::kMicrosecond);

void BM_LoadQrzWorked(benchmark::State& state) {
  InDataFolder here;
  ResetVirtualConsole();
  for (auto _ : state) {
    WorkedList worked;
    std::string error;
    LoadQrzWorked(worked, error);
    benchmark::DoNotOptimize(WorkedCount(worked));
  }
}
BENCHMARK(BM_LoadQrzWorked)->Unit(benchmark::kMillisecond);

void BM_LoadConfirmedDX(benchmark::State& state) {
  InDataFolder here;
  for (auto _ : state) {
    ConfirmedList confirmed;
    std::string error;
    LoadConfirmedDX(confirmed, error);
    benchmark::DoNotOptimize(confirmed.size());
  }
}
BENCHMARK(BM_LoadConfirmedDX)->Unit(benchmark::kMillisecond);

// The copy step of the logbook download: the reply, unescaped a record a line, onto the disk.
void BM_LogbookCopy(benchmark::State& state) {
  InDataFolder here;
  glb_TempFileName = DataFolder() + "/QRZ_Data.tmp";
  for (auto _ : state) {
    ResetVirtualConsole();
    std::string error;
    WriteLogBookCopy("copy.adi.txt", error);
    if (!error.empty()) state.SkipWithError(error.c_str());
  }
  std::remove("copy.adi.txt");
}
BENCHMARK(BM_LogbookCopy)->Unit(benchmark::kMillisecond)->Iterations(5);

std::string DecodeText(const std::string& message) {
  return "210308_123045    14.074 Rx FT8    -12  0.3 1234 " + message + "\n";
}

// A busy band: N new lines in the period, 36 of them CQs of stations already looked up, the
// rest the traffic between other stations; then the whole screen drawn.
void BM_BusyPass(benchmark::State& state) {
  InDataFolder here;
  glb_QRZAccountName = "N0VANE";
  glb_MyGrid = "EN34";
  MonitorState monitor;
  monitor.allTxtPath = "bench-ALL.TXT";
  for (int k = 1; k <= kCacheSize; ++k) {
    CacheEntry& entry = monitor.cache.entry[k];
    entry.call = "W" + std::to_string(1000 + k);
    entry.name = "Operator " + std::to_string(k);
    entry.city = "Newington";
    entry.country = "United States";
    entry.dxcc = k % 3 ? "291" : "339";
    entry.bearing = " 95";
    entry.distance = " 1054";
    entry.count = 1;
  }
  monitor.cache.lastSlot = kCacheSize;
  std::string lines;
  for (int i = 0; i < state.range(0); ++i)
    lines += DecodeText(i % (state.range(0) / 36) == 0 && i / (state.range(0) / 36) < 36
                            ? "CQ W" + std::to_string(1001 + i / (state.range(0) / 36) * 7) + " FN31"
                            : "K" + std::to_string(i) + "ABC W9XYZ " + (i % 2 ? "-12" : "RR73"));
  std::ofstream("bench-ALL.TXT", std::ios::binary | std::ios::trunc) << lines;
  monitor.dialFrequency = "14.074";
  std::string error;
  MergeWsjtxWorked(monitor.worked, error, monitor.wsjtxLogTrack);  // 100,000 contacts, as at start-up
  ResetVirtualConsole();
  for (auto _ : state) {
    state.PauseTiming();
    SetVirtualClock(1615206900);  // on a boundary: the wait ends at once
    monitor.allTxtPosition = 0;
    monitor.allTxtTrack = DecodeFileTrack{};
    TheConsole().transcript.clear();
    state.ResumeTiming();
    PollPeriod(monitor);
    benchmark::DoNotOptimize(monitor.rows[1].size());
  }
  std::remove("bench-ALL.TXT");
}
BENCHMARK(BM_BusyPass)->Arg(500)->Arg(5000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
