#!/bin/sh
# Speed and memory of kavro-cli plot on a long cast.
#
#   bench/run_plot_bench.sh [BUILD_DIR] [FRAMES...]
#
# Processes the demo recording of the build (BUILD_DIR/data/demo) to a .psd, repeats
# its records to FRAMES frames each (default 100000 and 1000000), and draws the quick
# look of each as PNG and PDF under /usr/bin/time: wall time and peak memory (max
# RSS).  Run it twice to see the file from the page cache (the usual case: a cast
# just processed or copied).
set -eu
. "$(dirname "$0")/long_psd.sh"
BUILD=${1:-build/release}
[ $# -gt 0 ] && shift
SIZES=${*:-100000 1000000}
CLI="$BUILD/bin/kavro-cli"
DEMO="$BUILD/data/demo"
for need in "$CLI" "$DEMO/demo.raw" /usr/bin/time; do
    [ -e "$need" ] || { echo "missing $need (build first: cmake --build $BUILD)" >&2; exit 2; }
done
WORK=$(mktemp -d "${TMPDIR:-/tmp}/kavro-plotbench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
export KAVRO_PROFILE="$WORK/kavro.INI"
printf '[Directories]\nCalFiles=%s\n' "$DEMO" > "$KAVRO_PROFILE"
"$CLI" process -q --model 0 -o "$WORK/demo.psd" "$DEMO/demo.raw"

for frames in $SIZES; do
    long_psd "$WORK/demo.psd" "$frames" "$WORK/cast.psd"
    cat "$WORK/cast.psd" > /dev/null  # in the page cache, as after processing
    for ext in png pdf; do
        /usr/bin/time -f "%e %M" -o "$WORK/time" "$CLI" plot "$WORK/cast.psd" -o "$WORK/cast.$ext" >/dev/null 2>&1
        read -r seconds kb < "$WORK/time"
        echo "plot $frames frames -> $ext: ${seconds} s, $((kb / 1024)) MB peak"
    done
done
