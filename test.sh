#!/usr/bin/env bash
# Builds everything and runs every test.  Exit status non-zero on any failure.
#
# Three builds: build/release (the program and every test), build/asan (the tests
# that need no screen, with AddressSanitizer and UndefinedBehaviorSanitizer) and
# build/fuzz (the libFuzzer programs, clang); on CI (CI=true) or with
# RUN_WINDOWS_TESTS=1 a fourth, build/windows (kavro.exe, kavro-cli.exe, the unit tests
# and the installer for Windows, run under wine; Qt and the NetCDF libraries for Windows
# are built once per machine and cached in ~/.cache/kavro).  The others run as tests of the first (asan.*, fuzz.*,
# windows.check; see cmake/Hardening.cmake), so the one CTest run at the end covers
# everything and its summary is the last thing printed.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
scripts/deps.sh "${KAVRO_BUILD_PACKAGES[@]}" "${KAVRO_TEST_PACKAGES[@]}"

# A locale with a decimal comma, so the tests show that numbers never follow it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE.utf-\?8$'; then
  scripts/deps.sh locales
  localedef -i de_DE -f UTF-8 de_DE.UTF-8 2>/dev/null || true
fi

jobs=$(nproc)
# With ccache on the machine, another clone's objects are reused: paths below this
# folder are hashed relative to it, so a second clone builds in minutes.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
build=build/release
asan=build/asan
fuzz=build/fuzz

# The Windows stage (on CI, or RUN_WINDOWS_TESTS=1): the Windows programs and the unit
# tests cross-built with mingw-w64, then checked under wine as the test windows.check of this
# build (scripts/check-windows.sh).  A plain ./test.sh on a developer's machine leaves it
# out (it installs mingw-w64 and wine, and adds minutes).
windows_dir=""
if [[ "${RUN_WINDOWS_TESTS:-}" == 1 || "${CI:-}" == true ]]; then
  windows_dir="$PWD/build/windows"
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKAVRO_TESTS=ON "${launcher[@]}" \
  -DKAVRO_ASAN_DIR="$PWD/$asan" -DKAVRO_FUZZ_DIR="$PWD/$fuzz" -DKAVRO_WINDOWS_DIR="$windows_dir" >/dev/null
cmake --build "$build" --parallel "$jobs"

echo "== Sanitizer build of the tests without a screen ($asan)"
cmake -S . -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVRO_SANITIZE=ON \
  -DKAVRO_GUI=OFF -DKAVRO_BENCH=OFF -DKAVRO_TESTS=ON "${launcher[@]}" >/dev/null
cmake --build "$asan" --parallel "$jobs"

echo "== Fuzz programs ($fuzz)"
cmake -S . -B "$fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKAVRO_FUZZ=ON -DKAVRO_GUI=OFF -DKAVRO_BENCH=OFF -DKAVRO_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build "$fuzz" --parallel "$jobs" --target fuzzers

if [[ -n "$windows_dir" ]]; then
  echo "== Windows build ($windows_dir)"
  started=$SECONDS
  scripts/build-windows.sh
  echo "Windows build: $((SECONDS - started)) s"
fi

cd "$build"
ctest --output-on-failure -j "$jobs" --timeout 600
