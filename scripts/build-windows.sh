#!/usr/bin/env bash
# Cross-builds kavro-cli.exe and the unit tests without Qt for 64-bit Windows with
# Debian's mingw-w64, into build/windows/.  Everything is linked statically, so
# build/windows/bin/kavro-cli.exe runs on a plain Windows 10 on its own.
#
#   scripts/build-windows.sh            build
#   wine build/windows/bin/kavro-cli.exe --version
#
# Installs what it needs from Debian first (as root or through sudo): the compiler,
# wine to run the results, GoogleTest's sources (built here for Windows) and CLI11;
# then the NetCDF libraries for Windows (scripts/build-netcdf-windows.sh), once.
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

# The NetCDF stack (zlib, libdeflate, HDF5, netCDF-C) built for Windows from Debian's
# sources once per machine, cached; its prefix is the last line the script prints.
netcdf_prefix=$(scripts/build-netcdf-windows.sh | tail -1)

# No Qt, no UDUNITS and no Google Benchmark for mingw in Debian: the command line
# without the desktop program and the plots, the exports' units texts unchecked.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKAVRO_GUI=OFF -DKAVRO_BENCH=OFF -DKAVRO_NETCDF=ON -DKAVRO_UDUNITS=OFF \
  -DCMAKE_PREFIX_PATH="$netcdf_prefix" \
  -DKAVRO_TESTS=ON -DKAVRO_GTEST_SOURCE=/usr/src/googletest "${launcher[@]}" >/dev/null
cmake --build "$build" --parallel "${KAVRO_JOBS:-2}" "$@"
