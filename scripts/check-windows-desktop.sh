# Sourced by scripts/check-windows.sh: the desktop program and the installer under
# wine, on a screen of their own (Xvfb).
#   1. kavro.exe opens a .psd in a window titled KAVRO with its plots drawn, the
#      main window and the file's window maximised from the profile as on Linux;
#      screenshots in <windows build>/check/screens.
#   2. kavro-setup-<version>.exe /S installs; the installed kavro.exe and
#      kavro-cli.exe run; the uninstaller leaves nothing but the user's settings.

stage "The desktop program under wine (Xvfb)"
screens="$work/screens"
mkdir -p "$screens"
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 1 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
# Wine has no Arial or Times New Roman: their metric twins stand in, as fontconfig
# makes them on Linux.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d "Liberation Sans" /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Times New Roman" /d "Liberation Serif" /f >/dev/null 2>&1

# wait_window NAME SECONDS: the X window id of the first window whose title starts
# with NAME, "" when none came.
# wine's own desktop window (explorer /desktop) is not one of them.
wait_window() {
  local id name
  for _ in $(seq 1 $(($2 * 4))); do
    for id in $(xdotool search --name "^$1" 2>/dev/null || true); do
      name=$(xdotool getwindowname "$id" 2>/dev/null || true)
      [[ $name == *"Wine desktop"* ]] && continue
      echo "$id"
      return
    done
    sleep 0.25
  done
}

# run_desktop PROFILE ARGS...: kavro.exe in a wine desktop of the screen's size, as on
# a Windows machine (maximising needs a window manager, which wine's desktop is).
run_desktop() {
  local profile=$1
  shift
  KAVRO_PROFILE="$(winepath -w "$profile")" wine explorer /desktop=KAVRO,1366x768 "$@" &
}

# screenshot_drawn FILE: the screen has a picture on it (more than a handful of
# colours: plots, text and the bar graph), not an empty or half-made window.
screenshot_drawn() {
  import -display "$display" -window root "$1" 2>/dev/null || return 1
  local colours
  colours=$(identify -format '%k' "$1" 2>/dev/null || echo 0)
  [[ $colours -gt 40 ]]
}

# desktop NAME PROFILE PROGRAM ARGS...: the program's window, its screenshot NAME.png.
desktop() {
  local name=$1 profile=$2 exe=$3
  shift 3
  run_desktop "$profile" "$(winepath -w "$exe")" "$@" >"$screens/$name.out" 2>&1
  local program=$!
  local window
  window=$(wait_window KAVRO 90)
  if [[ -z "$window" ]]; then
    fail "kavro.exe $*: no window titled KAVRO came: $(tail -5 "$screens/$name.out")"
  else
    sleep 4  # the plots are drawn after the window shows
    # A few frames on (Ctrl+N is Next), so that the plots show a distribution.
    for _ in 1 2 3 4 5; do xdotool key ctrl+n 2>/dev/null || true; sleep 0.3; done
    sleep 1
    screenshot_drawn "$screens/$name.png" || fail "kavro.exe $*: the screenshot $screens/$name.png shows no plots"
    title=$(xdotool getwindowname "$window")
    [[ $title == KAVRO* ]] || fail "kavro.exe: the window is titled '$title'"
    echo "$name: '$title', $(identify -format '%k colours' "$screens/$name.png")"
    if [[ $name == empty ]]; then
      # File > Open Instrument: the port dialog with the COM ports and the models.
      xdotool key alt+f 2>/dev/null; sleep 1; xdotool key i 2>/dev/null
      if [[ -n "$(wait_window "Instrument Port" 20)" ]]; then
        sleep 1
        import -display "$display" -window root "$screens/open-instrument.png" 2>/dev/null
      else
        fail "File > Open Instrument showed no Instrument Port dialog"
      fi
    fi
  fi
  kill "$program" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  wait "$program" 2>/dev/null || true
}
printf '[Miscellaneous]\nNumIterations=20\n' > "$work/desktop.INI"
desktop empty "$work/desktop.INI" "$windows_build/bin/kavro.exe"
printf '[Miscellaneous]\nNumIterations=20\n[Windows]\nMainMaximized=1\nMaximized=1\n' > "$work/maximised.INI"
desktop psd-maximised "$work/maximised.INI" "$windows_build/bin/kavro.exe" "$(winepath -w "$work/lin/p0/a.psd")"

stage "The installer under wine"
setup=$(ls "$windows_build"/kavro-setup-*.exe 2>/dev/null | head -1 || true)
if [[ -z "$setup" ]]; then
  fail "no installer in $windows_build: run scripts/package-windows.sh"
else
  installed="$WINEPREFIX/drive_c/Program Files/KAVRO companion"
  settings="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/kavro"
  mkdir -p "$settings" && echo "[Miscellaneous]" > "$settings/kavro.INI"
  wine "$setup" /S /PATH >/dev/null 2>&1; wineserver -w
  for file in kavro.exe kavro-cli.exe uninstall.exe docs/desktop.md demo/demo.raw demo/M32x32_a.asc; do
    [[ -f "$installed/$file" ]] || fail "the installer did not install $file"
  done
  version=$(wine "$installed/kavro-cli.exe" --version 2>/dev/null | tr -d '\r' || true)
  [[ $version == *"$(sed -n 's/^project(kavro VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"* ]] ||
    fail "the installed kavro-cli.exe says '$version'"
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KAVRO companion' /v UninstallString \
    >/dev/null 2>&1 || fail "the installer registered no uninstaller"
  wine reg query 'HKLM\Software\Classes\.psd\OpenWithProgids' /v KAVRO.psd >/dev/null 2>&1 ||
    fail "the installer did not offer KAVRO for .psd files"
  wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v Path 2>/dev/null |
    grep -qi 'KAVRO companion' || fail "/PATH did not put the program's folder on the PATH"
  [[ -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/KAVRO companion.lnk" ]] ||
    fail "the installer made no Start menu entry"
  desktop installed "$work/maximised.INI" "$installed/kavro.exe" "$(winepath -w "$work/lin/p0/a.psd")"
  wine "$installed/uninstall.exe" /S >/dev/null 2>&1; wineserver -w
  sleep 1
  [[ ! -e "$installed" ]] || fail "the uninstaller left $(find "$installed" | head -5 | tr '\n' ' ')"
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KAVRO companion' >/dev/null 2>&1 &&
    fail "the uninstaller left its entry in Apps & features"
  wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v Path 2>/dev/null |
    grep -qi 'KAVRO companion' && fail "the uninstaller left the program's folder on the PATH"
  [[ -f "$settings/kavro.INI" ]] || fail "the uninstaller took the user's settings"
  echo "installed, run and uninstalled: $(basename "$setup")"
fi
kill $xvfb 2>/dev/null || true
export DISPLAY=
