# Sourced: a quiet wine of this build's own for the Windows programs, without a
# display.  $1: the Windows build folder (its wine prefix is <folder>/wine).
kavro_windows_build=${1:-build/windows}
export WINEPREFIX="$(cd "$kavro_windows_build" && pwd)/wine"
export WINEDEBUG=-all
# No display (a dialog would wait for ever) and no Mono or Gecko installer prompts.
export DISPLAY=
export WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  echo "Making the wine prefix $WINEPREFIX" >&2
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  [[ -f "$WINEPREFIX/system.reg" ]] || { echo "error: wineboot made no prefix in $WINEPREFIX" >&2; return 1; }
fi
# The fonts a Windows machine has in its Fonts folder, as their metric twins (the
# programs' offscreen drawing reads that folder; wine has no Arial of its own).
for font in /usr/share/fonts/truetype/liberation/*.ttf; do
  [[ -f "$font" && ! -e "$WINEPREFIX/drive_c/windows/Fonts/${font##*/}" ]] &&
    ln -s "$font" "$WINEPREFIX/drive_c/windows/Fonts/${font##*/}"
done
true
