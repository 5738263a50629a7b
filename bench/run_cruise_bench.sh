#!/bin/sh
# Speed and memory of kavro-cli cruise.
#
#   bench/run_cruise_bench.sh [BUILD_DIR] [CASTS] [FRAMES] [ctd]
#
# Makes CASTS raw recordings (default 20) of FRAMES frames each (default 50,000) from
# the demo recording (BUILD_DIR/data/demo), a station log naming them, and runs
# kavro-cli cruise over it with -j 1 and with -j 2 into fresh folders under
# /usr/bin/time -v: wall time, peak memory (max RSS) and the ratio of the two wall
# times.  With "ctd" every cast has a CTD cast (.cnv, 4 scans a second over the
# whole cast) in the station log, merged into its NetCDF file and binned on.
# The machine's load is printed beside the figures: on a busy machine the
# CPU times tell more than the wall times.  Reports, never asserts.
set -eu
. "$(dirname "$0")/long_psd.sh"
BUILD=${1:-build}
CASTS=${2:-20}
FRAMES=${3:-50000}
CTD=${4:-}
CLI="$BUILD/bin/kavro-cli"
DEMO="$BUILD/data/demo"
for tool in "$CLI" "$DEMO/demo.raw" /usr/bin/time; do
    [ -e "$tool" ] || { echo "missing $tool (build first: cmake --build $BUILD)" >&2; exit 2; }
done
WORK=$(mktemp -d "${TMPDIR:-/tmp}/kavro-cruisebench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
PROFILE="$WORK/bench.INI"
printf '[Directories]\nCalFiles=%s\n' "$(cd "$DEMO" && pwd)" > "$PROFILE"
mkdir -p "$WORK/raw"
long_raw "$DEMO/demo.raw" "$FRAMES" "$WORK/raw/cast01.raw"
echo "recording,cast,station,latitude,longitude,start_utc,interval_s,ctd" > "$WORK/CASTS.csv"
i=1
while [ "$i" -le "$CASTS" ]; do
    name=$(printf 'cast%02d' "$i")
    day=$((1 + i % 28))
    [ "$i" -eq 1 ] || cp "$WORK/raw/cast01.raw" "$WORK/raw/$name.raw"
    ctd=
    if [ "$CTD" = ctd ]; then
        ctd="raw/$name.cnv"
        awk -v frames="$FRAMES" -v day="$day" 'BEGIN {
            print "# name 0 = timeS: Time, Elapsed [seconds]"; print "# name 1 = prDM: Pressure, Digiquartz [db]"
            print "# name 2 = t090C: Temperature [ITS-90, deg C]"; print "# name 3 = sal00: Salinity, Practical [PSU]"
            printf "# start_time = Jun %02d 2026 06:00:00\n*END*\n", day
            for (s = 0; s <= 4 * frames; s++)
                printf "%11.3f %10.3f %10.4f %10.4f\n", s / 4, 100 * sin(s / 4000) ^ 2, 12 - s / 1e5, 35 - s / 1e6
        }' > "$WORK/$ctd"
    fi
    printf 'raw/%s.raw,%s,Station %d,%s,%s,2026-06-%02dT06:00:00Z,1,%s\n' "$name" "$name" "$i" \
        "54.$i" "7.$i" "$day" "$ctd" >> "$WORK/CASTS.csv"
    i=$((i + 1))
done
echo "cruise: $CASTS casts x $FRAMES frames${CTD:+ with CTD}; $(nproc) cores; load before: $(cut -d' ' -f1-3 /proc/loadavg)"

run() {
    jobs=$1
    /usr/bin/time -v -o "$WORK/t$jobs" "$CLI" cruise -q --profile "$PROFILE" -j "$jobs" \
        -o "$WORK/out$jobs" "$WORK/CASTS.csv" > /dev/null
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$WORK/t$jobs" |
        awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$WORK/t$jobs")
    user=$(sed -n 's/.*User time (seconds): //p' "$WORK/t$jobs")
    sys=$(sed -n 's/.*System time (seconds): //p' "$WORK/t$jobs")
    echo "-j $jobs: $wall s wall ($user s user, $sys s system), peak memory $((rss / 1024)) MB" \
        "(load now: $(cut -d' ' -f1-3 /proc/loadavg))"
    eval "wall$jobs=$wall"
}
run 1
run 2
echo "-j 2 / -j 1 wall time: $(echo "$wall2 $wall1" | awk '{ printf "%.2f", $1 / $2 }')"
echo "outputs: $(du -sh "$WORK/out2" | cut -f1) ($(ls "$WORK/out2/nc" | wc -l) NetCDF files)"
