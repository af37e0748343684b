#!/bin/bash
# The monitor at rest on a busy band: wake-ups per second, processor and private memory of dxvane over
# 60 s, with a full lookup cache (256 stations) and 100,000 worked calls. Runs the real
# program in tmux against the local QRZ double; takes about three minutes.
#   bench/monitor_load.sh [DATA-FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/bin"
data=${1:-/tmp/dxvane-bench-data}
"$bin/make_bench_data" "$data"

scratch=$(mktemp -d /tmp/dxvane-load.XXXXXX)
socket="dxvane-load-$$"
cleanup() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  [ -n "${double:-}" ] && kill "$double" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

mkdir -p "$scratch/WSJT-X" "$scratch/temp"
"$bin/qrz_double" --port 0 > "$scratch/double.port" &
double=$!
for _ in $(seq 100); do grep -q '^port ' "$scratch/double.port" 2>/dev/null && break; sleep 0.05; done
port=$(sed -n 's/^port //p' "$scratch/double.port")
printf ' 44.98 \r\n-93.27 \r\nN0VANE\r\nvane-demo\r\nA1B2-C3D4-E5F6-0789\r\nEN34\r\n 1 \r\n 1 \r\n' > "$scratch/Config.ini"
cp "$data/WSJT-X/wsjtx_log.adi" "$scratch/WSJT-X/wsjtx_log.adi"
cp "$data/N0VANE.adi.txt" "$scratch/N0VANE.adi.txt"
: > "$scratch/WSJT-X/ALL.TXT"

tmux -L "$socket" -f /dev/null new-session -d -s load -x 140 -y 43 \
  "cd '$scratch' && echo \$\$ > pid && exec env LANG=C.UTF-8 LOCALAPPDATA='$scratch' TEMP='$scratch/temp' \
   DXVANE_QRZ_XML_URL=http://127.0.0.1:$port DXVANE_QRZ_LOGBOOK_URL=http://127.0.0.1:$port '$bin/dxvane'"
sleep 2
tmux -L "$socket" send-keys -t load n
pid=$(cat "$scratch/pid")

# 36 new callers a period until the cache holds 256, then the same ones again (cache hits).
period() {
  local first=$1 lines="" stamp
  stamp=$(date -u +%y%m%d_%H%M%S)
  for i in $(seq "$first" $((first + 35))); do
    lines+=$(printf '%s    14.074 Rx FT8    -12  0.3 1234 CQ W%d FN42\\n' "$stamp" $((100000 + i % 256)))
  done
  printf "$lines" >> "$scratch/WSJT-X/ALL.TXT"
}
for p in $(seq 0 7); do period $((p * 36)); sleep 15; done  # 256 different callers fill the cache

# Wake-ups are the voluntary switches (the program went to sleep and was woken); involuntary
# ones are other load taking the processor. Processor time from schedstat, in nanoseconds.
switches() { awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$pid/status"; }
cpu_ns() { awk '{ print $1 }' "/proc/$pid/schedstat"; }
before=$(switches)
cpu_before=$(cpu_ns)
for p in 0 1 2 3; do period $((p * 36)); sleep 15; done
after=$(switches)
cpu_after=$(cpu_ns)
private=$(awk '/^Private_(Clean|Dirty)/ { kb += $2 } END { print kb }' "/proc/$pid/smaps_rollup")
# Its own memory: all it wrote, and its program's pages; the shared libraries' unwritten pages
# count as private only while no other process maps them, so they are left out.
own=$(awk '/^[0-9a-f]+-[0-9a-f]+ / { library = ($6 ~ /\.so/) }
  /^Private_Dirty:/ { kb += $2 } /^Private_Clean:/ { if (!library) kb += $2 } END { print kb }' "/proc/$pid/smaps")
tmux -L "$socket" capture-pane -p -t load | grep -E "QRZ Lookups" || true
awk -v n=$((after - before)) -v kb="$private" -v own="$own" -v ns=$((cpu_after - cpu_before)) 'BEGIN {
  printf "wake-ups: %.2f a second over 60 s (bar: under 5)\n", n / 60
  printf "processor: %.3f %% of a core (bar: under 0.1 %%)\n", 100 * ns / 1e9 / 60
  printf "memory: %.1f MiB its own (bar: under 8 MiB), %.1f MiB private\n", own / 1024, kb / 1024 }'
