#!/bin/sh
# How kavro-cli process scales from one thread to two.
#
#   bench/run_scaling_bench.sh [BUILD_DIR] [FRAMES] [ROUNDS]
#
# The demo cast repeated to FRAMES frames (default 1,000,000) is processed with -j 1
# and -j 2 in turn, ROUNDS times (default 3), and the medians are compared.  Each
# round also runs two -j 1 processes side by side: what two fully independent jobs
# gain on this machine is the ceiling any threading can reach here (shared caches,
# memory bandwidth, a virtual machine's neighbours).  Reports, never asserts.
set -eu
. "$(dirname "$0")/long_psd.sh"
BUILD=${1:-build}
FRAMES=${2:-1000000}
ROUNDS=${3:-3}
CLI="$BUILD/bin/kavro-cli"
DEMO="$BUILD/data/demo"
for tool in "$CLI" "$DEMO/demo.raw" /usr/bin/time; do
    [ -e "$tool" ] || { echo "missing $tool (build first: cmake --build $BUILD)" >&2; exit 2; }
done
WORK=$(mktemp -d "${TMPDIR:-/tmp}/kavro-scaling-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
long_raw "$DEMO/demo.raw" "$FRAMES" "$WORK/bench.raw"
: > "$WORK/bench.INI"
echo "recording: $FRAMES frames; $(nproc) cores; $ROUNDS rounds"

job() {  # job THREADS OUTPUT TIMEFILE
    # Each run writes a new file, with the last run's data on disk already: replacing
    # a large file and the write-back of the one before are not what is measured.
    rm -f "$2"
    sync
    /usr/bin/time -f "%e" -a -o "$3" "$CLI" process -q -j "$1" --profile "$WORK/bench.INI" --cal-dir "$DEMO" \
        --ring-area "$DEMO/RingArea_a.asc" --background "$DEMO/zsc.asc" -o "$2" "$WORK/bench.raw"
}
round=0
while [ "$round" -lt "$ROUNDS" ]; do
    job 1 "$WORK/j1.psd" "$WORK/j1"
    job 2 "$WORK/j2.psd" "$WORK/j2"
    cmp -s "$WORK/j1.psd" "$WORK/j2.psd" || { echo "-j 1 and -j 2 wrote different records" >&2; exit 1; }
    job 1 "$WORK/a.psd" "$WORK/pair" & job 1 "$WORK/b.psd" "$WORK/pair" & wait
    round=$((round + 1))
done
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
J1=$(median "$WORK/j1")
J2=$(median "$WORK/j2")
PAIR=$(median "$WORK/pair")
echo "median -j 1: $J1 s; median -j 2: $J2 s; two -j 1 side by side: $PAIR s each"
awk -v a="$J1" -v b="$J2" -v p="$PAIR" 'BEGIN {
    printf "scaling -j 1 -> -j 2: %.2fx; ceiling of two independent jobs: %.2fx\n", a / b, 2 * a / p }'
