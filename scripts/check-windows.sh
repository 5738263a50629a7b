#!/usr/bin/env bash
# The Windows build checked under wine against the Linux build:
#   1. its unit tests (CTest of the Windows build, each program run whole under wine);
#   2. byte identity: kavro-cli.exe writes the same files as the Linux kavro-cli for
#      the same commands (process of each model, with -j, frame ranges and time
#      stamps; names with any characters; the CSV and NetCDF exports; background;
#      makecal and simraw), and prints the same reports (line ends aside);
#   3. live: acquire on a COM port that wine maps onto the simulator's pseudo-terminal
#      logs every frame once, in order, as the Linux acquire does on the same script,
#      a reply that comes after its request gave up included.
#
#   scripts/check-windows.sh [LINUX_BUILD] [WINDOWS_BUILD]   (default build/release build/windows)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux_build=$(realpath -m "${1:-build/release}")
windows_build=$(realpath -m "${2:-build/windows}")
lin="$linux_build/bin/kavro-cli"
win="$windows_build/bin/kavro-cli.exe"
for program in "$lin" "$win"; do
  [[ -x "$program" || -f "$program" ]] || { echo "error: $program is missing: build it first" >&2; exit 1; }
done
source scripts/wine-env.sh "$windows_build"
# One wine server for every run, quiet: it opens the COM port's pseudo-terminal itself
# and reports on its own stderr when the simulator's end closes.
wineserver -k 2>/dev/null || true
wineserver -p >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
wine "$win" --version >/dev/null

failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
stage() { echo "== $*"; }

stage "Unit tests under wine ($windows_build)"
(cd "$windows_build" && ctest --output-on-failure --timeout 900) || fail "unit tests under wine"

work="$windows_build/check"
rm -rf "$work"
mkdir -p "$work/lin" "$work/win"
cd "$work"
# A profile of its own: the user's settings play no part.
printf '[Miscellaneous]\nNumIterations=20\n' > kavro.INI
export KAVRO_PROFILE="$work/kavro.INI"

"$lin" makecal cal >/dev/null
"$lin" simraw --cal-dir cal --model 0 --frames 400 -o rec0.raw >/dev/null
"$lin" simraw --cal-dir cal --model 1 --frames 200 -o rec1.raw >/dev/null
"$lin" simraw --cal-dir cal --model 2 --frames 200 -o rec2.raw >/dev/null

# A report of the Windows program as the Linux one words it: LF line ends, and the
# paths wine gives as Z:\tmp\x written /tmp/x.
as_posix_text() {
  sed -e 's/\r$//' -e 's#Z:\\#/#g' -e 's#\\#/#g'
}

# same_output LIN WIN: the two files hold the same bytes.  A .psd names its background
# file by its full path in the header (bytes 24..511 of record 0), which is the
# system's own path: there the Windows path must name the same file.
# A NetCDF file (made under SOURCE_DATE_EPOCH) names the calibration files by their
# full paths, Z:/x under wine: the same bytes, or else the same header and numbers as
# the Linux ncdump reads them, with those paths written /x.  Both sides export the
# same .psd files, which lie beside the Linux side's outputs but not beside the
# Windows side's: source_file (the .psd as seen from the NetCDF file's folder) is
# compared by the file's name only.
same_output() {
  local a=$1 b=$2
  if [[ $a == *.nc ]]; then
    cmp -s "$a" "$b" && return
    nc_by_ncdump=$((nc_by_ncdump + 1))
    local source='s#^\(\t*:source_file = "\).*/\([^/]*"\)#\1\2#'
    cmp -s <(ncdump "$a" 2>&1 | sed -e "$source") <(ncdump "$b" 2>&1 | sed -e 's#Z:/#/#g' -e "$source")
    return
  fi
  if [[ $a != *.psd ]]; then
    cmp -s "$a" "$b"
    return
  fi
  cmp -s -n 24 "$a" "$b" && cmp -s -i 512 "$a" "$b" || return 1
  local pa pb
  pa=$(head -c 512 "$a" | tail -c 488 | tr -d '\0')
  pb=$(head -c 512 "$b" | tail -c 488 | tr -d '\0' | as_posix_text)
  [[ "$pa" == "$pb" ]]
}

# run NAME ARGS...: the same command in lin/ and win/ (paths relative, so that no
# output names a folder of its own); stdout and stderr kept, CR of Windows line
# ends taken out of them (files are compared as written).
run() {
  local name=$1
  shift
  local side program
  for side in lin win; do
    program=("$lin")
    [[ $side == win ]] && program=(wine "$win")
    local status=0
    (cd "$side" && "${program[@]}" "$@" >"$name.out" 2>"$name.err") || status=$?
    echo "$status" >"$side/$name.status"
    as_posix_text <"$side/$name.out" >"$side/$name.out.txt" && rm "$side/$name.out"
    as_posix_text <"$side/$name.err" >"$side/$name.err.txt" && rm "$side/$name.err"
  done
}

stage "Byte identity of kavro-cli.exe and the Linux kavro-cli"
run makecal makecal cal
run simraw simraw --cal-dir ../cal --model 1 --frames 50 -o sim1.raw
run process0 process --model 0 --cal-dir ../cal --asc --log -j 1 -o p0/a.psd ../rec0.raw
run process0j process --model 0 --cal-dir ../cal --vsf --log -j 2 -o p0j/v.psd ../rec0.raw
run process1 process --model 1 --cal-dir ../cal --asc --log --first 10 --last 149 -o p1/b.psd ../rec1.raw
run process2 process --model 2 --cal-dir ../cal --asc --log --start-time 2026-12-09T02:20:45Z \
  --interval 0.5 -o p2/c.psd ../rec2.raw
# Names with any characters, on the command line and in the files.
cp rec2.raw "Müller 2.raw"
run unicode process --model 2 --cal-dir ../cal --asc --log -o "Fahrt ü/Ørsted.psd" "../Müller 2.raw"
run unicodeinfo info "Fahrt ü/Ørsted.psd"
run csv export --csv -o p0/a.csv p0/a.psd
run csvcomma export --csv --decimal-comma -o p2/c.csv p2/c.psd
# The NetCDF export of each model, the times of p2 included, into names with any
# characters; from the same .psd files on both sides (a .psd names its background
# file as the system does), with a fixed creation time.
export SOURCE_DATE_EPOCH=1765246845
run netcdf export --netcdf --cal-dir ../cal -o nc ../lin/p0/a.psd ../lin/p1/b.psd ../lin/p2/c.psd
run netcdfunicode export --netcdf --cal-dir ../cal -o "Fahrt ü/Ørsted.nc" "../lin/Fahrt ü/Ørsted.psd"
unset SOURCE_DATE_EPOCH
run summary summary p0 p1 p2
run info info p1/b.psd
run inforaw info ../rec2.raw
run compare compare ../rec0_truth.csv p0/a.psd
printf '[Miscellaneous]\nNumIterations=20\n' | tee lin/bg.INI > win/bg.INI
run background background ../rec0.raw --cal-dir ../cal --profile bg.INI -o bg/zsc.asc
run settings settings
# What the Windows build leaves out says so, with status 2 (not as an unknown command).
for absent in "simulate|simulate is not available in the Windows build"; do
  status=0
  read -r -a args <<<"${absent%%|*}"
  message=$(cd win && wine "$win" "${args[@]}" 2>&1 >/dev/null) || status=$?
  [[ $status == 2 && $message == *"${absent#*|}"* ]] ||
    fail "kavro-cli.exe ${absent%%|*}: status $status, said: $message"
done
files=0
nc_by_ncdump=0
while IFS= read -r -d '' file; do
  rel=${file#lin/}
  files=$((files + 1))
  if [[ ! -f "win/$rel" ]]; then
    fail "win/$rel is missing (the Linux build wrote lin/$rel)"
  elif ! same_output "lin/$rel" "win/$rel"; then
    fail "lin/$rel and win/$rel differ"
    cmp "lin/$rel" "win/$rel" | head -3 >&2 || true
  fi
done < <(find lin -type f ! -name 'settings.out.txt' -print0 | sort -z)
while IFS= read -r -d '' file; do
  [[ -f "lin/${file#win/}" ]] || fail "$file was written only by the Windows build"
done < <(find win -type f -print0)
for status in lin/*.status; do
  [[ $(cat "$status") == 0 ]] || fail "$(basename "$status" .status) failed on Linux: $(cat "${status%.status}.err.txt")"
done
echo "$files files compared"
[[ $nc_by_ncdump == 0 ]] || echo "$nc_by_ncdump NetCDF files of them compared by their ncdump"

stage "Live under wine: acquire on COM5, the simulator on the other end"
"$lin" simraw --cal-dir cal --model 0 --frames 20 -o live.raw >/dev/null
printf '[Miscellaneous]\nCommWait=0\n' > late.INI
# live NAME PROFILE FRAMES INTERVAL SIMULATOR-OPTIONS...: Linux and wine acquire the
# same script of the simulator, each from a simulator of its own.
live() {
  local name=$1 profile=$2 frames=$3 interval=$4
  shift 4
  local side
  for side in lin win; do
    local simout="$work/$side/$name.sim.txt"
    "$lin" simulate --raw "$work/live.raw" --once --profile "$work/kavro.INI" "$@" >"$simout" 2>&1 &
    local sim=$!
    local device=""
    for _ in $(seq 1 200); do
      device=$(sed -n 's/^Instrument simulator on \(.*\)$/\1/p' "$simout")
      [[ -n "$device" ]] && break
      sleep 0.05
    done
    if [[ -z "$device" ]]; then
      fail "$name: the simulator did not start: $(cat "$simout")"
      kill "$sim" 2>/dev/null || true
      continue
    fi
    local program=("$lin") port=$device
    if [[ $side == win ]]; then
      ln -sfn "$device" "$WINEPREFIX/dosdevices/com5"
      program=(wine "$win")
      port=COM5
    fi
    mkdir -p "$side/$name"
    local status=0
    (cd "$side" && timeout 300 "${program[@]}" acquire --profile "$work/$profile" --cal-dir ../cal --model 0 \
      --device "$port" --asc --log --interval "$interval" --frames "$frames" -o "$name/live.psd" \
      >"$name.out" 2>"$name.err") || status=$?
    # The simulator plays on until stopped: its end of the line stays open while the
    # acquire takes its last reply.
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
    [[ $status == 0 ]] || fail "$name: acquire on $side ended with status $status: $(cat "$side/$name.err")"
    rm -f "$WINEPREFIX/dosdevices/com5"
  done
  local ext
  for ext in psd asc log; do
    if [[ ! -s "lin/$name/live.$ext" ]]; then
      fail "$name: the Linux acquire wrote no .$ext"
    elif ! same_output "lin/$name/live.$ext" "win/$name/live.$ext"; then
      fail "$name: the .$ext of the Linux and the wine acquire differ"
    fi
  done
  local lines
  for side in lin win; do
    lines=$(wc -l <"$side/$name/live.time.csv" 2>/dev/null || echo 0)
    [[ $lines == $((frames + 1)) ]] || fail "$name: $side wrote $lines lines of time stamps for $frames frames"
    tr -d '\r' <"$side/$name.out" | grep -q "^Frames written: $frames," ||
      fail "$name: $side did not report $frames frames written: $(cat "$side/$name.out")"
  done
}
# Replies in three pieces with stray characters before them.
live split kavro.INI 12 0.2 --split 3 --delay 20 --noise
# Each reply 1.5 s after its request, which gave up after 1 s (CommWait 0): logged
# when it comes, before the next request.
live late late.INI 3 2 --delay 1500

stage "Pictures of kavro-cli.exe"
# Drawn with Qt on the offscreen platform and the fonts of the Windows Fonts folder: the
# text of a picture is rasterised as those fonts give it, so the pixels are not compared.
mkdir -p pictures
for picture in a.png a.pdf; do
  status=0
  (cd pictures && wine "$win" plot ../lin/p0/a.psd -o "$picture" >/dev/null 2>"$picture.err") || status=$?
  [[ $status == 0 && -s "pictures/$picture" ]] || fail "plot to $picture: status $status: $(cat "pictures/$picture.err")"
done
if [[ -s pictures/a.png ]]; then
  size=$(identify -format '%wx%h' pictures/a.png 2>/dev/null || true)
  [[ $size == 1600x1000 ]] || fail "plot a.png: $size pixels, not 1600x1000"
fi
if [[ -s pictures/a.pdf ]] && ! pdftotext pictures/a.pdf - | grep -q "Transmission"; then
  fail "plot a.pdf: its text does not read back"
fi
status=0
message=$(cd pictures && wine "$win" plot ../lin/p0/a.psd -o a.svg 2>&1 >/dev/null) || status=$?
[[ $status == 2 && $message == *"writes no SVG"* ]] || fail "plot to .svg: status $status, said: $message"

source "$root/scripts/check-windows-desktop.sh"

if [[ $failures -gt 0 ]]; then
  echo "Windows checks: $failures failed" >&2
  exit 1
fi
echo "Windows checks passed"
