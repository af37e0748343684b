#!/bin/bash
# The monitor on its embedded demo: a local QRZ double, a made-up WSJT-X feed, and the real
# dxvane in a scratch folder. No account, radio or WSJT-X needed. Ctrl+C ends it all.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/bin"
for program in dxvane qrz_double decode_feed; do
  [ -x "$bin/$program" ] || { echo "Build first: cmake -S . -B build -G Ninja && cmake --build build" >&2; exit 1; }
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/dxvane-demo.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

mkdir -p "$scratch/WSJT-X" "$scratch/temp"
"$bin/qrz_double" --port 0 > "$scratch/double.port" 2> "$scratch/double.log" &
pids+=($!)
for _ in $(seq 100); do
  grep -q '^port ' "$scratch/double.port" 2>/dev/null && break
  sleep 0.05
done
port=$(sed -n 's/^port //p' "$scratch/double.port")
[ -n "$port" ] || { echo "The local QRZ double did not start:" >&2; cat "$scratch/double.log" >&2; exit 1; }

# A made-up operator near Minneapolis, with both alerts on.
printf ' 44.98 \r\n-93.27 \r\nN0VANE\r\nvane-demo\r\nA1B2-C3D4-E5F6-0789\r\nEN34\r\n 1 \r\n 1 \r\n' > "$scratch/Config.ini"
printf 'ADIF Export\n<adif_ver:5>3.1.1\n<programid:6>WSJT-X\n<EOH>\n<call:6>VE3KTB <gridsquare:4>FN14 <mode:3>FT8 <band:3>40m <eor>\n<call:5>W4DXX <gridsquare:4>EM85 <mode:3>FT8 <band:3>20m <eor>\n' > "$scratch/WSJT-X/wsjtx_log.adi"
printf '210308_120000    14.074 Rx FT8    -10  0.1 1500 CQ OLD1 FN42\n' > "$scratch/WSJT-X/ALL.TXT"
# A logbook copy from an earlier run, so that answering N at the question works too.
printf 'Download Time Stamp: 03-01-2021 10:00:00\r\n<call:5>K2LYV<mode:3>FT8<band:3>20m<dxcc:3>291<app_qrzlog_status:1>C<eor>\r\n<call:6>JA1XGI<mode:3>FT8<band:3>20m<dxcc:3>339<app_qrzlog_status:1>C<eor>\r\n' > "$scratch/N0VANE.adi.txt"
cp "$bin/DXAlert.wav" "$bin/StationAlert.wav" "$scratch/"

"$bin/decode_feed" --folder "$scratch/WSJT-X" --call N0VANE --grid EN34 --after-login "$scratch/temp/QRZ_Data.tmp" &
pids+=($!)

cd "$scratch"
LOCALAPPDATA="$scratch" TEMP="$scratch/temp" \
  DXVANE_QRZ_XML_URL="http://127.0.0.1:$port" DXVANE_QRZ_LOGBOOK_URL="http://127.0.0.1:$port" \
  "$bin/dxvane"
