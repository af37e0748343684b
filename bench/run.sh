#!/bin/bash
# Prints the benchmark table, setting like beside like: each log reader beside a read-and-count
# of the same file in the same process (the floor of any reader); the start-up's list phase and
# the logbook copy step as whole processes beside wc -l of both logs and cat into a file and
# sync, as whole processes; the real monitor's start-up on a terminal, from the logbook answer
# to its first counter, beside wc -l of its logs, and its memory at rest. Pairs are interleaved; the min and the median of each side are
# shown, and the ratio is taken per pair (its median shown). Then the passes, from Google
# Benchmark. Run after building:
#   bench/run.sh [DATA-FOLDER]        (default /tmp/dxvane-bench-data, made when missing)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/bin"
data=${1:-/tmp/dxvane-bench-data}
pairs=9  # the first is a warm-up and not counted
"$bin/make_bench_data" "$data"

now_us() { date +%s%N | cut -c1-16; }
# The wall time of a shell command, in milliseconds.
time_ms() {
  local start end
  start=$(now_us)
  eval "$1" > /dev/null
  end=$(now_us)
  awk -v us=$((end - start)) 'BEGIN { printf "%.3f", us / 1000 }'
}
# "min median" of the numbers on standard input.
min_median() { sort -g | awk '{ v[NR] = $1 } END { printf "%s %s", v[1], v[int((NR + 1) / 2)] }'; }

# Two commands as whole processes, interleaved: "min median min median ratio".
pair_processes() {
  local measured="" reference="" ratios="" i a b
  for i in $(seq "$pairs"); do
    b=$(time_ms "$2")
    a=$(time_ms "$1")
    [ "$i" -eq 1 ] && continue
    measured+="$a"$'\n' reference+="$b"$'\n'
    ratios+=$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.4f", a / b }')$'\n'
  done
  echo "$(printf %s "$measured" | min_median) $(printf %s "$reference" | min_median) $(printf %s "$ratios" | min_median | cut -d' ' -f2)"
}

row() {  # step, "min median min median ratio", reference name, bar (a ratio)
  echo "$2" | awk -v step="$1" -v ref="$3" -v bar="$4" '{
    printf "| %-48s | %8.1f / %8.1f ms | %-19s %7.1f / %7.1f ms | %5.2fx | within %sx |\n", step, $1, $2, ref, $3, $4, $5, bar }'
}

# The real monitor's start-up on a terminal, from outside (bench/startup.cpp), in two folders of
# its own: one-record logs and the 100,000 + 100,000 ones; the QRZ double answers its session.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/dxvane-startup.XXXXXX")
double=""
cleanup() {
  [ -n "$double" ] && kill "$double" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
"$bin/qrz_double" --port 0 > "$scratch/double.port" &
double=$!
for _ in $(seq 100); do grep -q '^port ' "$scratch/double.port" 2>/dev/null && break; sleep 0.05; done
qrz="http://127.0.0.1:$(sed -n 's/^port //p' "$scratch/double.port")"
for logs in one all; do
  mkdir -p "$scratch/$logs/WSJT-X" "$scratch/$logs/temp"
  printf ' 44.98 \r\n-93.27 \r\nN0VANE\r\nvane-demo\r\nA1B2-C3D4-E5F6-0789\r\nEN34\r\n 1 \r\n 1 \r\n' > "$scratch/$logs/Config.ini"
  : > "$scratch/$logs/WSJT-X/ALL.TXT"
done
head -2 "$data/N0VANE.adi.txt" > "$scratch/one/N0VANE.adi.txt"
head -5 "$data/WSJT-X/wsjtx_log.adi" > "$scratch/one/WSJT-X/wsjtx_log.adi"
cp "$data/N0VANE.adi.txt" "$scratch/all/N0VANE.adi.txt"
cp "$data/WSJT-X/wsjtx_log.adi" "$scratch/all/WSJT-X/wsjtx_log.adi"

# Start-up in a folder beside wc -l of its two logs, interleaved: "min median min median ratio";
# the monitor's memory at rest, own and private kB, is left in $scratch/memory.
pair_startup() {
  local folder="$scratch/$1" measured="" reference="" ratios="" i a b line
  for i in $(seq "$pairs"); do
    b=$(time_ms "wc -l '$folder/N0VANE.adi.txt' '$folder/WSJT-X/wsjtx_log.adi'")
    line=$("$bin/dxvane_startup" "$bin/dxvane" "$folder" "$qrz")
    a=${line%% *}
    echo "${line#* }" > "$scratch/memory"
    [ "$i" -eq 1 ] && continue
    measured+="$a"$'\n' reference+="$b"$'\n'
    ratios+=$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.4f", a / b }')$'\n'
  done
  echo "$(printf %s "$measured" | min_median) $(printf %s "$reference" | min_median) $(printf %s "$ratios" | min_median | cut -d' ' -f2)"
}
startup_one=$(pair_startup one)
startup_all=$(pair_startup all)
memory=$(cat "$scratch/memory")

readers=$("$bin/dxvane_phase" readers "$data")
reader() { echo "$readers" | awk -v name="$1" '$1 == name { print $2, $3, $4, $5, $6 }'; }
lists=$(pair_processes "'$bin/dxvane_phase' lists '$data'" "wc -l '$data/N0VANE.adi.txt' '$data/WSJT-X/wsjtx_log.adi'")
copy=$(pair_processes "'$bin/dxvane_phase' copy '$data'" \
  "cat '$data/QRZ_Data.tmp' > '$data/cat-copy.tmp' && sync '$data/cat-copy.tmp'")
rm -f "$data/cat-copy.tmp" "$data/copy.adi.txt"

results=$(DXVANE_BENCH_DATA="$data" "$bin/dxvane_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_format=csv 2>/dev/null | grep -E '_(median|min)"' || true)
# "min median" of a Google Benchmark, in milliseconds (the min taken as the fastest repetition
# is not reported: the mean stands in for nothing, so only the median is used).
median_ms() {
  echo "$results" | awk -F, -v name="\"$1_median\"" '$1 == name {
    unit = $5; gsub(/"/, "", unit); t = $3
    if (unit == "us") t /= 1000; else if (unit == "ns") t /= 1000000
    printf "%.3f", t }'
}

echo "| step | now (min / median) | reference (min / median) | ratio | bar |"
echo "|---|---|---|---|---|"
row "MergeWsjtxWorked, 100k-contact wsjtx_log.adi" "$(reader MergeWsjtxWorked)" "read-and-count" 4
row "LoadQrzWorked, 100k-record logbook copy" "$(reader LoadQrzWorked)" "read-and-count" 4
row "LoadConfirmedDX, same copy" "$(reader LoadConfirmedDX)" "read-and-count" 4
row "start-up lists, both files (whole process)" "$lists" "wc -l both" 8
row "start-up, one-record logs (monitor, black box)" "$startup_one" "wc -l both" 2
row "start-up, 100k + 100k logs (monitor, black box)" "$startup_all" "wc -l both" 5
row "logbook copy step with fsync (whole process)" "$copy" "cat > copy && sync" 2
echo
echo "$memory" | awk '{ printf "Monitor at rest with the 100k + 100k logs: %.1f MiB of its own (bar: under 8 MiB), %.1f MiB private with the libraries'"'"' pages no other process maps.\n", $1 / 1024, $2 / 1024 }'
echo
echo "| pass | median | bar |"
echo "|---|---|---|"
printf "| reload of an unchanged wsjtx_log.adi (every 2nd pass) | %.3f ms | - |\n" "$(median_ms BM_ReloadUnchangedLog)"
printf "| busy pass, 500 new lines, 36 cached callers, frame | %.3f ms | under 0.1 ms |\n" "$(median_ms BM_BusyPass/500)"
printf "| busy pass, 5,000 new lines | %.3f ms | under 0.5 ms |\n" "$(median_ms BM_BusyPass/5000)"
echo
echo "Files: $(du -m "$data/WSJT-X/wsjtx_log.adi" | cut -f1) MB log, $(du -m "$data/N0VANE.adi.txt" | cut -f1) MB copy," \
  "$(du -m "$data/QRZ_Data.tmp" | cut -f1) MB reply; $(nproc) cores; $(uname -m); $pairs pairs, the first not counted."
