#!/usr/bin/env bash
# Builds everything and runs every test.  Exit status non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
scripts/deps.sh "${KAVRO_BUILD_PACKAGES[@]}" "${KAVRO_TEST_PACKAGES[@]}"

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKAVRO_TESTS=ON >/dev/null
cmake --build "$build"
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
