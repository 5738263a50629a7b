#!/usr/bin/env bash
# Builds everything and runs every test.  Exit status non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
scripts/deps.sh "${KAVRO_BUILD_PACKAGES[@]}" "${KAVRO_TEST_PACKAGES[@]}"

# A locale with a decimal comma, so the tests show that numbers never follow it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE.utf-\?8$'; then
  scripts/deps.sh locales
  localedef -i de_DE -f UTF-8 de_DE.UTF-8 2>/dev/null || true
fi

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKAVRO_TESTS=ON >/dev/null
cmake --build "$build"
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
