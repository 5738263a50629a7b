#!/usr/bin/env bash
# Cross-builds the Windows programs with Debian's mingw-w64 into build/windows/:
# kavro.exe (the desktop program), kavro-cli.exe and the unit tests, then packs
# the installer and the portable zip (scripts/package-windows.sh).  Everything is
# linked statically: each .exe runs on a plain Windows 10 on its own.
#
#   scripts/build-windows.sh            build and pack
#   wine build/windows/bin/kavro-cli.exe --version
#
# Installs what it needs from Debian first (as root or through sudo): the compiler,
# wine to run the results, GoogleTest's sources (built here for Windows), CLI11 and
# NSIS.  Qt (scripts/build-qt-windows.sh) and the NetCDF libraries
# (scripts/build-netcdf-windows.sh) are built from Debian's own sources once per
# machine and cached in ~/.cache/kavro.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/deps.sh "${KAVRO_WINDOWS_PACKAGES[@]}"

build=build/windows
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

# Each prefix is the last line its script prints.
started=$SECONDS
qt_prefix=$(scripts/build-qt-windows.sh | tail -1)
echo "Qt for Windows: $qt_prefix (after $((SECONDS - started)) s)"
netcdf_prefix=$(scripts/build-netcdf-windows.sh | tail -1)
echo "NetCDF for Windows: $netcdf_prefix (after $((SECONDS - started)) s)"

# Qt's toolchain file loads ours and adds Qt; Debian's moc, rcc and uic do the
# build-time work.  No UDUNITS and no Google Benchmark for mingw, and no Qt SVG
# source in the archive: the exports' units texts unchecked, pictures PNG and PDF.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$multiarch/cmake" \
  -DCMAKE_PREFIX_PATH="$netcdf_prefix" \
  -DCMAKE_BUILD_TYPE=Release -DKAVRO_GUI=ON -DKAVRO_SVG=OFF -DKAVRO_BENCH=OFF -DKAVRO_NETCDF=ON \
  -DKAVRO_UDUNITS=OFF -DKAVRO_TESTS=ON -DKAVRO_GTEST_SOURCE=/usr/src/googletest "${launcher[@]}" >/dev/null
# The build runs kavro-cli.exe under wine to make the demo set: a quiet wine of its own.
(source scripts/wine-env.sh "$build" && cmake --build "$build" --parallel "${KAVRO_JOBS:-2}" "$@")
echo "Windows programs built (after $((SECONDS - started)) s)"
scripts/package-windows.sh "$build"
