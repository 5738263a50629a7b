#!/usr/bin/env bash
# Installs what is missing, builds the Release program and runs its main job on the demo data.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
scripts/deps.sh "${KAVRO_BUILD_PACKAGES[@]}" "${KAVRO_TEST_PACKAGES[@]}"

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build"
"$build/bin/kavro-cli" settings
