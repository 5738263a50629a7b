#!/usr/bin/env bash
# The NetCDF stack for 64-bit Windows: zlib, libdeflate, HDF5 and netCDF-C, each built
# from Debian's own source of the version the Linux build uses, statically with
# mingw-w64, into one cache folder of this machine that later builds reuse:
#
#   scripts/build-netcdf-windows.sh    prints the installed prefix on its last line
#
# Only what the NetCDF export needs: the C libraries (HDF5 with its high-level part,
# which netCDF-4 stores its dimensions with), deflate through zlib, nothing of Fortran,
# C++, Java, tools, tests, examples, szip, MPI, DAP or other network access.  HDF5 runs
# programs of its own while it builds (H5detect, H5make_libsettings and the try_run
# checks of its configuration): they run under a quiet wine of this build's own.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/packages.sh
# The runtime packages of the Linux build name the versions.
scripts/deps.sh "${KAVRO_WINDOWS_PACKAGES[@]}" dpkg-dev xz-utils make \
  zlib1g libdeflate0 libhdf5-103-1 libnetcdf19

version_of() { dpkg-query -W -f='${source:Version}' "$1"; }
upstream_of() { local v=${1#*:}; v=${v%%+*}; echo "${v%-*}"; }
zlib_version=$(version_of zlib1g)
deflate_version=$(version_of libdeflate0)
hdf5_version=$(version_of libhdf5-103-1)
netcdf_version=$(version_of libnetcdf19)
versions="zlib $zlib_version, libdeflate $deflate_version, hdf5 $hdf5_version, netcdf $netcdf_version"

cache=${KAVRO_CACHE:-$HOME/.cache/kavro}
prefix="$cache/netcdf-$(upstream_of "$netcdf_version")-mingw64"
# The marker holds the versions it was built from: a new Debian version builds anew.
if [[ -f "$prefix/.complete" && "$(cat "$prefix/.complete")" == "$versions" ]]; then
  echo "$prefix"
  exit 0
fi

started=$SECONDS
stage_started=$SECONDS
stage_name=""
# Each stage's time on stderr when the next one starts.
stage() {
  [[ -n "$stage_name" ]] && echo "== $stage_name: $((SECONDS - stage_started)) s" >&2
  stage_name=$*
  stage_started=$SECONDS
  [[ -n "$stage_name" ]] && echo "== $stage_name" >&2
  return 0
}
work="$cache/build/netcdf-mingw64"
mkdir -p "$work"
jobs=${KAVRO_JOBS:-2}
cc=x86_64-w64-mingw32-gcc-posix
ar=x86_64-w64-mingw32-ar
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$work" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache)
  cc="ccache $cc"
fi
# run LOG COMMAND...: the command's output in LOG, its last lines on failure.
run() {
  local log=$1
  shift
  "$@" >"$log" 2>&1 || { grep -B2 -A12 -m3 -w 'error' "$log" >&2 || tail -40 "$log" >&2; echo "error: see $log" >&2; exit 1; }
}

stage "Sources ($versions)"
zlib_src=$(scripts/debian-source.sh zlib "$zlib_version" "$work/src/zlib")
deflate_src=$(scripts/debian-source.sh libdeflate "$deflate_version" "$work/src/libdeflate")
hdf5_src=$(scripts/debian-source.sh hdf5 "$hdf5_version" "$work/src/hdf5")
netcdf_src=$(scripts/debian-source.sh netcdf "$netcdf_version" "$work/src/netcdf")

rm -rf "$prefix"
mkdir -p "$prefix/include" "$prefix/lib/pkgconfig"
cmake_cross=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
             -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix"
             -DBUILD_SHARED_LIBS=OFF
             "${launcher[@]}")

stage "zlib"
# zlib's CMake build makes the shared library too: only the static one is built and
# installed here, as libz.a (the name every later find looks for).
run "$work/zlib.log" cmake -S "$zlib_src" -B "$work/zlib" "${cmake_cross[@]}" -DCMAKE_CROSSCOMPILING_EMULATOR=
run "$work/zlib-build.log" cmake --build "$work/zlib" --target zlibstatic --parallel "$jobs"
cp "$work/zlib/libzlibstatic.a" "$prefix/lib/libz.a"
cp "$zlib_src/zlib.h" "$work/zlib/zconf.h" "$prefix/include/"
cat >"$prefix/lib/pkgconfig/zlib.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: zlib
Description: zlib compression library
Version: $(upstream_of "$zlib_version")
Libs: -L\${libdir} -lz
Cflags: -I\${includedir}
EOF

stage "libdeflate"
# Its own Makefile; only the static library (which it names libdeflatestatic.lib for
# mingw), installed as libdeflate.a.
rm -rf "$work/libdeflate"
cp -a "$deflate_src" "$work/libdeflate"
run "$work/libdeflate.log" make -C "$work/libdeflate" -j"$jobs" CC="$cc" AR="$ar" libdeflatestatic.lib
cp "$work/libdeflate/libdeflatestatic.lib" "$prefix/lib/libdeflate.a"
cp "$deflate_src/libdeflate.h" "$prefix/include/"
cat >"$prefix/lib/pkgconfig/libdeflate.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: libdeflate
Description: Fast implementation of DEFLATE, zlib, and gzip
Version: $(upstream_of "$deflate_version")
Libs: -L\${libdir} -ldeflate
Cflags: -I\${includedir}
EOF
rm -rf "$work/libdeflate"

# wine runs HDF5's own programs; one server for the whole build, stopped at the end.
# Its services start here, away from CMake: started by a try_run they would keep the
# pipe of its output open, and CMake would wait for its end for ever.
source scripts/wine-env.sh "$work"
wineserver -p >/dev/null 2>&1 </dev/null
trap 'wineserver -k 2>/dev/null || true' EXIT
wine cmd /c exit >/dev/null 2>&1 </dev/null || true

stage "Configuring HDF5"
# HDF5 1.10.8 includes <sys/wait.h> wherever <unistd.h> is, and mingw has the one
# without the other: an empty one stands in (HDF5 finds no waitpid on Windows and
# uses nothing of it).
mkdir -p "$work/shim/sys"
echo '/* mingw has none; HDF5 includes it with <unistd.h> and uses nothing of it. */' >"$work/shim/sys/wait.h"
# From its build folder: a try_run program writes its answer into the current folder,
# where the configuration reads it from the build folder.
mkdir -p "$work/hdf5"
cd "$work/hdf5"
run "$work/hdf5.log" cmake -S "$hdf5_src" -B "$work/hdf5" "${cmake_cross[@]}" \
  -DONLY_SHARED_LIBS=OFF -DBUILD_TESTING=OFF -DHDF5_BUILD_TOOLS=OFF -DHDF5_BUILD_EXAMPLES=OFF \
  -DHDF5_BUILD_UTILS=OFF -DHDF5_BUILD_HL_LIB=ON -DHDF5_BUILD_HL_TOOLS=OFF -DHDF5_BUILD_FORTRAN=OFF \
  -DHDF5_BUILD_CPP_LIB=OFF -DHDF5_BUILD_JAVA=OFF -DHDF5_ENABLE_PARALLEL=OFF -DHDF5_ENABLE_THREADSAFE=OFF \
  -DHDF5_ENABLE_SZIP_SUPPORT=OFF -DHDF5_ENABLE_Z_LIB_SUPPORT=ON -DHDF5_ALLOW_EXTERNAL_SUPPORT=NO \
  -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" \
  -DHDF5_ENABLE_ROS3_VFD=OFF -DHDF5_ENABLE_DIRECT_VFD=OFF -DHDF5_ENABLE_MIRROR_VFD=OFF \
  -DHDF5_INSTALL_CMAKE_DIR=lib/cmake/hdf5 -DCMAKE_C_FLAGS="-isystem $work/shim"
cd "$root"
stage "Building HDF5"
run "$work/hdf5-build.log" cmake --build "$work/hdf5" --parallel "$jobs"
run "$work/hdf5-install.log" cmake --install "$work/hdf5"
hdf5_lib=$(ls "$prefix"/lib/lib*hdf5.a | grep -v _hl | head -1)
hdf5_hl_lib=$(ls "$prefix"/lib/lib*hdf5_hl.a | head -1)

stage "Configuring netCDF-C"
# HDF5 named directly (its static library needs zlib and winsock in every link check);
# no DAP, byte ranges, NCZarr or plugins (nothing over the network, no filter DLLs).
run "$work/netcdf.log" cmake -S "$netcdf_src" -B "$work/netcdf" "${cmake_cross[@]}" -DCMAKE_CROSSCOMPILING_EMULATOR= \
  -DENABLE_NETCDF_4=ON -DENABLE_HDF5=ON -DENABLE_DAP=OFF -DENABLE_DAP2=OFF -DENABLE_DAP4=OFF \
  -DENABLE_BYTERANGE=OFF -DENABLE_NCZARR=OFF -DENABLE_S3_SDK=OFF -DENABLE_PLUGINS=OFF \
  -DENABLE_FILTER_TESTING=OFF -DENABLE_TESTS=OFF -DBUILD_UTILITIES=OFF -DENABLE_EXAMPLES=OFF \
  -DENABLE_PARALLEL4=OFF -DENABLE_PNETCDF=OFF -DENABLE_HDF4=OFF -DENABLE_DOXYGEN=OFF \
  -DENABLE_LOGGING=OFF -DENABLE_SET_LOG_LEVEL_FUNC=OFF -DENABLE_BASH_SCRIPT_TESTING=OFF \
  -DHDF5_C_LIBRARY="$hdf5_lib" -DHDF5_HL_LIBRARY="$hdf5_hl_lib" -DHDF5_INCLUDE_DIR="$prefix/include" \
  -DHDF5_VERSION="$(upstream_of "$hdf5_version")" \
  -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" \
  -DCMAKE_REQUIRED_LIBRARIES=ws2_32
stage "Building netCDF-C"
run "$work/netcdf-build.log" cmake --build "$work/netcdf" --parallel "$jobs"
run "$work/netcdf-install.log" cmake --install "$work/netcdf"

# One static link line for the whole stack: netcdf.pc names HDF5, zlib and the
# Windows libraries they need, so `pkg-config --static netcdf` is all a build asks.
cat >"$prefix/lib/pkgconfig/netcdf.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: netCDF
Description: NetCDF Client Library for C (static, for Windows)
Version: $(upstream_of "$netcdf_version")
Requires.private: hdf5 zlib
Libs: -L\${libdir} -lnetcdf
Libs.private: -lws2_32
Cflags: -I\${includedir}
EOF
cat >"$prefix/lib/pkgconfig/hdf5.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: hdf5
Description: HDF5 (static, for Windows)
Version: $(upstream_of "$hdf5_version")
Requires.private: zlib
Libs: -L\${libdir} -l$(basename "$hdf5_hl_lib" .a | sed 's/^lib//') -l$(basename "$hdf5_lib" .a | sed 's/^lib//')
Libs.private: -lws2_32 -lwsock32 -lm
Cflags: -I\${includedir}
EOF

echo "$versions" >"$prefix/.complete"
stage ""
echo "== NetCDF for Windows installed in $prefix after $((SECONDS - started)) s" >&2
rm -rf "$work/zlib" "$work/hdf5" "$work/netcdf"
echo "$prefix"
