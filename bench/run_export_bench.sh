#!/bin/sh
# Speed and memory of the exports for analysis.
#
#   bench/run_export_bench.sh [BUILD_DIR] [FRAMES]
#
# Processes the demo cast (BUILD_DIR/data/demo) to a .psd, repeats its frame records
# until the file holds FRAMES frames (default 1,000,000), then times kavro-cli
# export --netcdf, export --csv and info (the whole-file summary) on it under
# /usr/bin/time: wall time and peak memory (max RSS).  Reports, never asserts.
set -eu
. "$(dirname "$0")/long_psd.sh"
BUILD=${1:-build}
FRAMES=${2:-1000000}
CLI="$BUILD/bin/kavro-cli"
DEMO="$BUILD/data/demo"
for tool in "$CLI" "$DEMO/demo.raw" /usr/bin/time; do
    [ -e "$tool" ] || { echo "missing $tool (build first: cmake --build $BUILD)" >&2; exit 2; }
done
WORK=$(mktemp -d "${TMPDIR:-/tmp}/kavro-exportbench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
PROFILE="$WORK/bench.INI"
: > "$PROFILE"
"$CLI" process -q --profile "$PROFILE" --cal-dir "$DEMO" -o "$WORK/demo.psd" "$DEMO/demo.raw"
long_psd "$WORK/demo.psd" "$FRAMES" "$WORK/cast.psd"
echo "cast: $FRAMES frames, $(stat -c %s "$WORK/cast.psd") bytes; $(nproc) cores"

run() {
    label=$1
    shift
    /usr/bin/time -f "%e %U %S %M" -o "$WORK/t" "$@" > /dev/null
    read -r wall user sys rss < "$WORK/t"
    echo "$label: $wall s wall ($user s user, $sys s system), peak memory $((rss / 1024)) MB"
}
run "export --netcdf" "$CLI" export --netcdf -q --profile "$PROFILE" --cal-dir "$DEMO" -o "$WORK/cast.nc" "$WORK/cast.psd"
echo "  NetCDF file: $(stat -c %s "$WORK/cast.nc") bytes"
run "export --csv" "$CLI" export --csv -q --profile "$PROFILE" -o "$WORK/cast.csv" "$WORK/cast.psd"
echo "  CSV file: $(stat -c %s "$WORK/cast.csv") bytes"
run "info (whole-file summary)" "$CLI" info --profile "$PROFILE" "$WORK/cast.psd"
