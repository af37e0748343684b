#!/bin/bash
# The monitor on its embedded demo: a local QRZ double, a made-up WSJT-X feed, and the real
# dxvane in a scratch folder. No account, radio or WSJT-X needed. Ctrl+C ends it all.
#   tools/demo.sh          as an operator with a QRZ XML subscription
#   tools/demo.sh --free   as one without: entities from the calls' prefixes, bearings from grids
#   tools/demo.sh --by-band   rows classed by band slot: Finland, confirmed on 40 m only, is a
#                             new band on 20 m
# Installed, the same script is bin/dxvane-demo and finds the installed tree beside it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -d "$here/../share/dxvane/demo" ]; then
  prefix=$(cd "$here/.." && pwd)
  monitor="$prefix/bin/dxvane" helpers="$prefix/libexec/dxvane" sounds="$prefix/share/dxvane"
  data="$prefix/share/dxvane/demo" seed="$prefix/share/dxvane/demo/seed"
else
  root=$(cd "$here/.." && pwd)
  monitor="$root/build/bin/dxvane" helpers="$root/build/bin" sounds="$root/build/bin"
  data="$root/tools" seed="$root/tools/demo"
fi
for program in "$monitor" "$helpers/qrz_double" "$helpers/decode_feed"; do
  [ -x "$program" ] || { echo "Build first: cmake -S . -B build -G Ninja && cmake --build build" >&2; exit 1; }
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

mkdir -p "$scratch/temp"
"$helpers/qrz_double" --port 0 --data "$data" > "$scratch/double.port" 2> "$scratch/double.log" &
pids+=($!)
for _ in $(seq 100); do
  grep -q '^port ' "$scratch/double.port" 2>/dev/null && break
  sleep 0.05
done
port=$(sed -n 's/^port //p' "$scratch/double.port")
[ -n "$port" ] || { echo "The local QRZ double did not start:" >&2; cat "$scratch/double.log" >&2; exit 1; }

# A made-up operator near Minneapolis with both alerts on, WSJT-X's folder, and a logbook copy
# from an earlier run (so that answering N at the question works too): tools/demo/.
cp -R "$seed/." "$scratch/"
chmod -R u+w "$scratch"  # an installed seed is read-only
cp "$sounds/DXAlert.wav" "$sounds/StationAlert.wav" "$scratch/"
call=N0VANE
options=()
for argument in "$@"; do
  case "$argument" in
    --free)
      call=N0FREE
      cp "$scratch/Config-free.ini" "$scratch/Config.ini"
      cp "$scratch/N0VANE.adi.txt" "$scratch/N0FREE.adi.txt" ;;
    --by-band) options+=(--by-band) ;;
    *) echo "Usage: dxvane-demo [--free] [--by-band]" >&2; exit 2 ;;
  esac
done

"$helpers/decode_feed" --stations "$data/qrz_stations.txt" --folder "$scratch/WSJT-X" --call "$call" --grid EN34 --after-login "$scratch/temp/QRZ_Data.tmp" &
pids+=($!)

cd "$scratch"
LOCALAPPDATA="$scratch" TEMP="$scratch/temp" \
  DXVANE_QRZ_XML_URL="http://127.0.0.1:$port" DXVANE_QRZ_LOGBOOK_URL="http://127.0.0.1:$port" \
  "$monitor" ${options[@]+"${options[@]}"}
