#!/usr/bin/env bash
# kavro-cli.exe process under wine against the Linux kavro-cli on the same recording:
#
#   bench/run_windows_process_bench.sh [LINUX_BUILD] [WINDOWS_BUILD] [FRAMES] [THREADS]
#
# (defaults build/release build/windows 1000000 2).  Times wine's own start
# (kavro-cli.exe --version), then process -j THREADS of the demo cast repeated to
# FRAMES frames on both sides, checks that both wrote the same records, and prints
# the wall times and the ratio with wine's start taken off.
set -eu
. "$(dirname "$0")/long_psd.sh"
LIN=${1:-build/release}
WIN=${2:-build/windows}
FRAMES=${3:-1000000}
THREADS=${4:-2}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
for f in "$LIN/bin/kavro-cli" "$WIN/bin/kavro-cli.exe" "$LIN/data/demo/demo.raw"; do
    [ -f "$f" ] || { echo "missing $f (build both first)" >&2; exit 2; }
done
source "$ROOT/scripts/wine-env.sh" "$WIN"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/kavro-winbench-XXXXXX")
trap 'rm -rf "$WORK"; wineserver -k 2>/dev/null || true' EXIT
CAL=$(cd "$LIN/data/demo" && pwd)
long_raw "$CAL/demo.raw" "$FRAMES" "$WORK/bench.raw"
wineserver -p </dev/null >/dev/null 2>&1 || true
wine "$WIN/bin/kavro-cli.exe" --version >/dev/null  # a warm wine for the timed runs

seconds() { /usr/bin/time -f %e -o "$WORK/t" "$@" >/dev/null 2>&1; cat "$WORK/t"; }
start=$(seconds wine "$WIN/bin/kavro-cli.exe" --version)
lin=$(seconds "$LIN/bin/kavro-cli" process -q --model 0 --cal-dir "$CAL" -j "$THREADS" -o "$WORK/lin.psd" "$WORK/bench.raw")
win=$(seconds wine "$WIN/bin/kavro-cli.exe" process -q --model 0 --cal-dir "Z:$CAL" -j "$THREADS" \
    -o "Z:$WORK/win.psd" "Z:$WORK/bench.raw")
# The header names the background file as each system writes it; the frames must agree.
if cmp -s -i 1024 "$WORK/lin.psd" "$WORK/win.psd"; then same=yes; else same=NO; fi
echo "frames: $FRAMES, threads: $THREADS, same frame records: $same"
echo "wine start: ${start} s"
echo "Linux kavro-cli process: ${lin} s"
echo "wine kavro-cli.exe process: ${win} s"
awk -v l="$lin" -v w="$win" -v s="$start" 'BEGIN { printf "ratio: %.2f (%.2f without wine'"'"'s start)\n", w / l, (w - s) / l }'
[ "$same" = yes ]
