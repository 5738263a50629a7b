#!/usr/bin/env bash
# Fetches a Debian source package of the version the build machine runs and unpacks
# it:  scripts/debian-source.sh PACKAGE VERSION FOLDER   (prints the unpacked folder)
#
# The system's apt sources stay untouched: a private apt configuration of our own (in
# ~/.cache/kavro/apt) lists the same archives as deb-src, copied from the system's own
# sources, so no package host is written anywhere here.  dpkg-source checks every file
# against the checksums of the .dsc, which apt checked against the archive's signed
# index, and applies Debian's patches.
set -euo pipefail
package=$1 version=$2 dest=$3
cache=${KAVRO_CACHE:-$HOME/.cache/kavro}
apt_dir="$cache/apt"

# The archives the system installs its own packages from, as deb-src: the system's own
# deb822 stanzas and one-line entries with their type changed, nothing else.
if [[ ! -f "$apt_dir/sources.list.d/kavro-src.sources" ]]; then
  mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/archives/partial"
  : > "$apt_dir/sources.list.d/kavro-src.list"
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ -f "$f" ]] && { sed -e 's/^Types:.*/Types: deb-src/' "$f"; echo; }
  done > "$apt_dir/sources.list.d/kavro-src.sources"
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f "$f" ]] && sed -n -e 's/^deb[[:space:]]/deb-src /p' "$f"
  done > "$apt_dir/sources.list.d/kavro-src.list"
  grep -q . "$apt_dir/sources.list.d/kavro-src.sources" "$apt_dir/sources.list.d/kavro-src.list" ||
    { echo "error: the system's apt sources name no archive" >&2; exit 1; }
fi
apt_options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
             -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir" -o "APT::Sandbox::User=root")
if ! compgen -G "$apt_dir/lists/*Sources*" >/dev/null; then
  echo "Reading the source index into $apt_dir" >&2
  apt-get "${apt_options[@]}" update -qq >&2
fi

mkdir -p "$dest"
cd "$dest"
upstream=${version#*:}
upstream=${upstream%-*}
unpacked=$(ls -d "$package"-*/ 2>/dev/null | head -1 || true)
if [[ -z "$unpacked" ]]; then
  echo "Fetching the Debian source of $package $version" >&2
  apt-get "${apt_options[@]}" source -qq "$package=$version" >&2
  unpacked=$(ls -d "$package"-*/ | head -1)
fi
echo "$dest/${unpacked%/}"
