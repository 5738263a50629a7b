#!/bin/sh
# Speed and memory of kavro-cli process against the same computation in numpy.
#
#   bench/run_process_bench.sh [BUILD_DIR] [FRAMES] [THREADS]
#
# Makes a FRAMES-frame recording (default 1,000,000), times the scan of the whole file (kavro-cli info reads every record the way the
# pre-scan does), processes it to .psd with kavro-cli process -j THREADS (default 2)
# under /usr/bin/time for the wall time and the peak memory (max RSS), runs
# bench/numpy_process.py on the same file, checks that both wrote the same records,
# and prints the speed ratio.  When the build has the demo data (BUILD_DIR/data/demo
# or BUILD_DIR/*/data/demo), the recording is the demo cast repeated and the
# calibration the demo set of model 0; otherwise both come from
# bench/make_bench_recording (a synthetic set).
set -eu
. "$(dirname "$0")/long_psd.sh"
BUILD=${1:-build}
FRAMES=${2:-1000000}
THREADS=${3:-2}
HERE=$(cd "$(dirname "$0")" && pwd)
CLI="$BUILD/bin/kavro-cli"
GEN="$BUILD/bench/make_bench_recording"
for tool in "$CLI" "$GEN" /usr/bin/time; do
    [ -x "$tool" ] || { echo "missing $tool (build first: cmake --build $BUILD)" >&2; exit 2; }
done
PYTHON=python3
$PYTHON -c 'import numpy' 2>/dev/null || PYTHON=/usr/bin/python3

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kavro-procbench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
CAL="$WORK"
DEMO=$(find "$BUILD" -maxdepth 3 -type f -path '*data/demo/demo.raw' 2>/dev/null | head -n 1)
if [ -n "$DEMO" ] && [ -f "$(dirname "$DEMO")/M32x32_a.asc" ]; then
    CAL=$(dirname "$DEMO")
    # The demo cast over and over, doubled until long enough, then cut to FRAMES frames.
    long_raw "$DEMO" "$FRAMES" "$WORK/bench.raw"
    echo "calibration and recording: the demo set $CAL, its cast repeated"
else
    "$GEN" "$WORK" "$FRAMES"
    echo "calibration: synthetic (bench/BenchRecording.h)"
fi
RING="$CAL/RingArea_a.asc"
[ -f "$RING" ] || RING=$(ls "$CAL"/RingArea*.asc | head -n 1)
PROFILE="$WORK/bench.INI"
: > "$PROFILE"
echo "recording: $FRAMES frames, $(stat -c %s "$WORK/bench.raw") bytes; $(nproc) cores; threads $THREADS"

seconds() { awk '{print $1}' "$1"; }

/usr/bin/time -f "%e %M" -o "$WORK/scan.time" "$CLI" info --profile "$PROFILE" "$WORK/bench.raw" > /dev/null
echo "scan of every record (as the pre-scan): $(seconds "$WORK/scan.time") s"

/usr/bin/time -f "%e %U %S %M" -o "$WORK/cli.time" "$CLI" process -q -j "$THREADS" --profile "$PROFILE" \
    --cal-dir "$CAL" --ring-area "$RING" --background "$CAL/zsc.asc" -o "$WORK/cli.psd" "$WORK/bench.raw"
read -r CLI_WALL CLI_USER CLI_SYS CLI_RSS < "$WORK/cli.time"
CLI_RATE=$(awk -v f="$FRAMES" -v s="$CLI_WALL" 'BEGIN { printf "%.0f", f / s }')
echo "kavro-cli process -j $THREADS: $CLI_WALL s wall ($CLI_USER s user, $CLI_SYS s system), $CLI_RATE frames/s, peak memory $((CLI_RSS / 1024)) MB"

/usr/bin/time -f "%e %U %S %M" -o "$WORK/numpy.time" "$PYTHON" "$HERE/numpy_process.py" "$WORK/bench.raw" "$CAL" \
    "$WORK/numpy.psd" --ring-area "$RING" --background "$CAL/zsc.asc" > /dev/null
read -r NP_WALL NP_USER NP_SYS NP_RSS < "$WORK/numpy.time"
NP_RATE=$(awk -v f="$FRAMES" -v s="$NP_WALL" 'BEGIN { printf "%.0f", f / s }')
echo "numpy: $NP_WALL s wall ($NP_USER s user, $NP_SYS s system), $NP_RATE frames/s, peak memory $((NP_RSS / 1024)) MB"
"$PYTHON" "$HERE/numpy_process.py" --check "$WORK/cli.psd" "$WORK/numpy.psd"
awk -v a="$CLI_RATE" -v b="$NP_RATE" 'BEGIN { printf "speed ratio kavro-cli / numpy: %.2f\n", a / b }'
