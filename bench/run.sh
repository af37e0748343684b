#!/bin/bash
# Prints the benchmark table: each reader beside wc -l, the logbook copy beside cat, measured
# in the same run on the same files, and the busy passes. Run after building:
#   bench/run.sh [DATA-FOLDER]        (default /tmp/dxvane-bench-data, made when missing)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/bin"
data=${1:-/tmp/dxvane-bench-data}
"$bin/make_bench_data" "$data"

# The best of five runs of a shell command, in milliseconds.
best_ms() {
  local best=""
  for _ in 1 2 3 4 5; do
    local start end
    start=$(date +%s%N)
    eval "$1" > /dev/null
    end=$(date +%s%N)
    local ms=$(( (end - start) / 1000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  awk -v us="$best" 'BEGIN { printf "%.1f", us / 1000 }'
}

wc_log=$(best_ms "wc -l '$data/WSJT-X/wsjtx_log.adi'")
wc_copy=$(best_ms "wc -l '$data/N0VANE.adi.txt'")
cat_reply=$(best_ms "cat '$data/QRZ_Data.tmp'")

results=$(DXVANE_BENCH_DATA="$data" "$bin/dxvane_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_format=csv 2>/dev/null | grep '_median"')
# The median real time of a benchmark, in milliseconds.
median_ms() {
  echo "$results" | awk -F, -v name="\"$1_median\"" '$1 == name {
    unit = $5; gsub(/"/, "", unit); t = $3
    if (unit == "us") t /= 1000; else if (unit == "ns") t /= 1000000
    printf "%.3f", t }'
}

row() {  # step, now (ms), reference name, reference (ms), bar (as a ratio, or a limit in ms)
  awk -v step="$1" -v now="$2" -v ref="$3" -v refms="$4" -v bar="$5" 'BEGIN {
    if (ref != "") printf "| %-52s | %9.3f ms | %-6s %7.1f ms | %5.1fx | within %sx |\n", step, now, ref, refms, now / refms, bar
    else printf "| %-52s | %9.3f ms | %-17s | %6s | under %s ms |\n", step, now, "-", "-", bar }'
}

echo "| step | now | reference | ratio | bar |"
echo "|---|---|---|---|---|"
row "MergeWsjtxWorked, 100k-contact wsjtx_log.adi" "$(median_ms BM_MergeWsjtxWorked)" "wc -l" "$wc_log" 4
row "reload of an unchanged wsjtx_log.adi (every 2nd pass)" "$(median_ms BM_ReloadUnchangedLog)" "wc -l" "$wc_log" 4
row "LoadQrzWorked, 100k-record logbook copy" "$(median_ms BM_LoadQrzWorked)" "wc -l" "$wc_copy" 4
row "LoadConfirmedDX, same copy" "$(median_ms BM_LoadConfirmedDX)" "wc -l" "$wc_copy" 4
row "logbook copy step (with fsync), escaped reply" "$(median_ms 'BM_LogbookCopy/iterations:5')" "cat" "$cat_reply" 4
row "busy pass, 500 new lines, 36 cached callers, frame" "$(median_ms BM_BusyPass/500)" "" "" 0.1
row "busy pass, 5,000 new lines" "$(median_ms BM_BusyPass/5000)" "" "" 0.5
echo
echo "Files: $(du -m "$data/WSJT-X/wsjtx_log.adi" | cut -f1) MB log, $(du -m "$data/N0VANE.adi.txt" | cut -f1) MB copy," \
  "$(du -m "$data/QRZ_Data.tmp" | cut -f1) MB reply; $(nproc) cores; $(uname -m)."
