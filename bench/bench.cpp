// Benchmarks of the work done every period, on data larger than a busy band gives.
// Targets (one core of a small machine): a worked-list reload of 20,000 contacts under
// 50 ms, a poll of 500 new decode lines under 5 ms, a table of 36 callers under 1 ms, so a
// pass stays far inside its 15-second period.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "common/text.h"
#include "monitor/decodes.h"
#include "monitor/globals.h"
#include "monitor/logs/logs.h"
#include "monitor/rows.h"

namespace {

std::string BenchFolder() {
  static std::string folder = [] {
    std::string pattern = "/tmp/dxvane-bench-XXXXXX";
    std::string made = mkdtemp(pattern.data());
    mkdir((made + "/WSJT-X").c_str(), 0755);
    setenv("LOCALAPPDATA", made.c_str(), 1);
    return made;
  }();
  return folder;
}

void BM_MergeWsjtxWorked(benchmark::State& state) {
  std::ofstream log(BenchFolder() + "/WSJT-X/WSJTX_log.adi", std::ios::binary | std::ios::trunc);
  log << "ADIF Export\n<EOH>\n";
  for (int i = 0; i < state.range(0); ++i)
    log << "<call:6>W" << 10000 + i % 15000 << " <gridsquare:4>FN42 <mode:3>FT8 <rst_sent:3>-10 <band:3>20m <eor>\n";
  log.close();
  for (auto _ : state) {
    WorkedList worked;
    std::string error;
    WsjtxLogTrack track;
    MergeWsjtxWorked(worked, error, track);
    benchmark::DoNotOptimize(worked.calls.size());
  }
}
BENCHMARK(BM_MergeWsjtxWorked)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_ReadDecodes(benchmark::State& state) {
  std::string path = BenchFolder() + "/WSJT-X/ALL.TXT";
  std::string lines;
  for (int i = 0; i < state.range(0); ++i)
    lines += "210308_123045    14.074 Rx FT8    -12  0.3 1234 CQ W" + std::to_string(1000 + i) + " FN42\n";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << lines;
  glb_QRZAccountName = "K1XYZ";
  glb_MyGrid = "FN42";
  for (auto _ : state) {
    CallTable calls;
    int64_t position = 0;
    int32_t total = 0, period = 0;
    std::string stamp, frequency = "14.074", error;
    DecodeFileTrack track;
    ReadDecodes(path, position, calls, stamp, total, period, frequency, error, track);
    benchmark::DoNotOptimize(calls.count);
  }
}
BENCHMARK(BM_ReadDecodes)->Arg(500)->Unit(benchmark::kMicrosecond);

void BM_RenderRows(benchmark::State& state) {
  LookupCache cache;
  for (int k = 1; k <= kCacheSize; ++k) {
    cache.entry[k].call = "W" + std::to_string(1000 + k);
    cache.entry[k].name = "Operator " + std::to_string(k);
    cache.entry[k].dxcc = "339";
    cache.entry[k].count = 1;
  }
  CallTable calls;
  calls.count = kCallTableSize;
  for (int i = 1; i <= kCallTableSize; ++i) calls.entry[i] = {"W" + std::to_string(1000 + i * 7), CallerKind::kCq};
  WorkedList worked;
  for (int i = 0; i < 20000; ++i) AddWorked(worked, "K" + std::to_string(i));
  ConfirmedList confirmed{291, 339, 230};
  for (auto _ : state) {
    ScreenRows rows;
    std::string stamp = "210308_123045";
    RenderRows(calls, rows, cache, confirmed, worked, stamp, "14.074");
    benchmark::DoNotOptimize(rows[1].size());
  }
}
BENCHMARK(BM_RenderRows)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
