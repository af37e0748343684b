#!/bin/sh
# End to end under Wine: the Windows release's demo.cmd (dxvane.exe against the QRZ double and
# the made-up WSJT-X feed) runs in a 140x43 console in tmux; console_probe answers the logbook
# question, reads the screen buffer back and presses Ctrl+C. The table must show its rows and
# colours, an accented name must keep its columns, QuickEdit must be off while it runs and
# back after, and everything must end, the stand-ins with it.
#   wine_e2e.sh BUILD_DIR WINE_COMMAND...
set -eu
build=$1
shift
"$(command -v cmake)" --build "$build" --target release >/dev/null
scratch=$(mktemp -d "${TMPDIR:-/tmp}/dxvane-wine-e2e.XXXXXX")
session="dxvane-wine-$$"
cleanup() {
  tmux kill-session -t "$session" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
cp -R "$build"/Dxvane-*-windows/. "$scratch/"
cp "$build/bin/console_probe.exe" "$scratch/"
cd "$scratch"
wine="$*"
tmux new-session -d -s "$session" -x 140 -y 43 \
  "cd '$scratch' && $wine console_probe.exe --out screen.txt --key 8 N --read 55 -- cmd /c demo.cmd; touch probe.done"
for _ in $(seq 120); do
  [ -f probe.done ] && break
  sleep 1
done

fail() {
  echo "FAILED: $1" >&2
  [ -f screen.txt ] && sed -n 's/^text //p' screen.txt >&2
  exit 1
}
[ -f screen.txt ] || fail "the probe read no screen"
row() { sed -n "s/^text $1|//p" screen.txt; }
colours() { sed -n "s/^attr $1|//p" screen.txt; }

row 01 | grep -q "^  Call       Name                       City/Country" || fail "no heading on row 1"
colours 01 | grep -q "^1E1E" || fail "the heading is not yellow on blue"
# Columns are counted in characters: the accented row lines up with the others.
grep -q "^text [0-9][0-9]|  EA4JOS     José Martínez              Córdoba/Spain                                     281 " screen.txt ||
  fail "the accented row lost its columns"
grep -q "^text [0-9][0-9]|  W7XYZ/P    Sam Bridger" screen.txt || fail "no row for a portable call"
for colour in F0 F4 A0; do  # home black on white, confirmed DX red on white, worked black on green
  grep -q "^attr [0-9][0-9]|$colour$colour$colour" screen.txt || fail "no row in colours $colour"
done
row 42 | grep -q "Running 5 minute avg CQ's per/min" || fail "no legend on row 42"
grep -q "^\(text\|again\) 42|.*▒" screen.txt || fail "no shade block (character 177 of code page 437) on row 42"
grep -q "^ended yes" screen.txt || fail "Ctrl+C did not end the demo"
grep -q "^quickedit before|on" screen.txt || fail "the probe could not turn QuickEdit on"
grep -q "^quickedit running|off" screen.txt || fail "QuickEdit was on while the monitor ran"
grep -q "^quickedit after|on" screen.txt || fail "QuickEdit was not given back"
grep -q "^stand-ins left|0" screen.txt || fail "the demo's stand-ins outlived it"
echo "The Windows demo showed the table under Wine"
