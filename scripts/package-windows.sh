#!/usr/bin/env bash
# The Windows programs of a build made by scripts/build-windows.sh, packed for users:
#   <build>/kavro-setup-<version>.exe      the installer (NSIS)
#   <build>/kavro-<version>-windows-x64.zip  the same files to unpack and run anywhere
#
#   scripts/package-windows.sh [WINDOWS_BUILD]   (default build/windows)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath -m "${1:-build/windows}")
version=$(sed -n 's/^project(kavro VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
for program in kavro.exe kavro-cli.exe; do
  [[ -f "$build/bin/$program" ]] || { echo "error: $build/bin/$program is missing: run scripts/build-windows.sh" >&2; exit 1; }
done
scripts/deps.sh nsis

stage="$build/stage"
rm -rf "$stage"
mkdir -p "$stage/docs" "$stage/demo"
cp "$build/bin/kavro.exe" "$build/bin/kavro-cli.exe" resources/windows/kavro.ico README.md "$stage/"
# Without their symbol tables (the programs are the same, a third of the size).
x86_64-w64-mingw32-strip "$stage/kavro.exe" "$stage/kavro-cli.exe"
cp docs/*.md "$stage/docs/"

# The demo calibration sets and recordings that the build made with kavro-cli.exe.
cp "$build"/data/demo/* "$stage/demo/"

setup="$build/kavro-setup-$version.exe"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" resources/windows/kavro.nsi
zip="$build/kavro-$version-windows-x64.zip"
rm -f "$zip"
(cd "$stage" && cmake -E tar cf "$zip" --format=zip -- *)
ls -l "$setup" "$zip" | awk '{ print $5, $9 }'
