#!/usr/bin/env bash
# Qt for 64-bit Windows, built from Debian's own sources of the version the Linux
# build uses (qt6-base), statically with mingw-w64, into a cache folder
# of this machine that later builds reuse:
#
#   scripts/build-qt-windows.sh        prints the installed prefix on its last line
#
# Only what the program needs: Core, Gui, Widgets and PrintSupport; the windows
# platform plugin with the windowsvista style, the offscreen plugin and QTest for the
# tests;
# Qt's bundled zlib, libpng, pcre2, harfbuzz, freetype and double-conversion.  Debian's
# host tools (moc, rcc, uic) do the build-time work.  Qt SVG is left out: the archive
# this machine reaches does not serve the qt6-svg source files, so the Windows build
# writes its pictures as PNG and PDF (KAVRO_SVG=OFF).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/packages.sh
scripts/deps.sh "${KAVRO_WINDOWS_PACKAGES[@]}" qt6-base-dev qt6-base-dev-tools dpkg-dev xz-utils

cache=${KAVRO_CACHE:-$HOME/.cache/kavro}
qt_version=$(dpkg-query -W -f='${source:Version}' libqt6core6)
upstream=${qt_version%%+*}
upstream=${upstream%-*}
prefix="$cache/qt-$upstream-mingw64"
if [[ -f "$prefix/.complete" ]]; then
  echo "$prefix"
  exit 0
fi

stage_started=$SECONDS
stage() { echo "== $* (after $((SECONDS - stage_started)) s)" >&2; }
work="$cache/build/qt-$upstream"
mkdir -p "$work"
stage "Sources of qt6-base $qt_version"
base_src=$(scripts/debian-source.sh qt6-base "$qt_version" "$work/src")

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
jobs=$(nproc)
rm -rf "$prefix" "$work/qtbase"

stage "Configuring qtbase"
# No tablets (Debian's source leaves out the wintab headers), no OpenGL and therefore no
# dynamic GL either; nothing of sql, network, dbus, xml or concurrent (testlib drives
# the GUI tests).
cmake -S "$base_src" -B "$work/qtbase" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR= \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" \
  -DBUILD_SHARED_LIBS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF -DQT_FEATURE_optimize_size=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
  -DINPUT_opengl=no -DFEATURE_dynamicgl=OFF -DFEATURE_concurrent=OFF \
  -DFEATURE_xml=OFF -DFEATURE_tabletevent=OFF -DFEATURE_vulkan=OFF -DFEATURE_zstd=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_jpeg=OFF \
  -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_gif=OFF -DFEATURE_sql_sqlite=OFF \
  -DFEATURE_accessibility=ON -DFEATURE_sessionmanager=OFF -DFEATURE_imageformatplugin=OFF \
  "${launcher[@]}" > "$work/qtbase-configure.log" 2>&1 ||
  { tail -40 "$work/qtbase-configure.log" >&2; exit 1; }
stage "Building qtbase"
cmake --build "$work/qtbase" --parallel "$jobs" > "$work/qtbase-build.log" 2>&1 ||
  { grep -B2 -A12 -m3 'error' "$work/qtbase-build.log" >&2 || tail -40 "$work/qtbase-build.log" >&2; exit 1; }
cmake --install "$work/qtbase" > /dev/null

touch "$prefix/.complete"
stage "Qt for Windows installed in $prefix"
rm -rf "$work/qtbase"
echo "$prefix"
