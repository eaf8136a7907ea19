# Sourced by the run and test scripts: the project's own Wine prefix, a display
# and a persistent wineserver, and the means to stop exactly what was started.
# Needs VEL_BUILD_DIR.

: "${VEL_BUILD_DIR:?VEL_BUILD_DIR must name the build directory}"
VEL_SOURCE_DIR=${VEL_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

export WINEPREFIX=${VEL_WINEPREFIX:-$VEL_BUILD_DIR/wineprefix}
export WINEARCH=win64
# The 64-bit loader itself: Debian's /usr/bin/wine picks the 32-bit loader
# whenever the 32-bit Wine package is installed, even on a host that cannot
# execute i386 code.
VEL_WINE=${VEL_WINE:-/usr/lib/wine/wine64}
export WINELOADER=$VEL_WINE
export WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: their installers would ask on a fresh prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}
VEL_SCREEN=${VEL_SCREEN:-480x640}

vel_started_xvfb=
vel_started_wineserver=

vel_free_display() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  echo "$n"
}

vel_start_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n i
  for _ in 1 2 3; do
    n=$(vel_free_display)
    Xvfb ":$n" -screen 0 "${VEL_SCREEN}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
    vel_started_xvfb=$!
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$vel_started_xvfb" 2>/dev/null || break
      sleep 0.05
    done
    kill "$vel_started_xvfb" 2>/dev/null; vel_started_xvfb=
  done
  echo "wine-env: could not start Xvfb" >&2
  return 1
}

vel_wine() { "$VEL_WINE" "$@"; }
vel_wineserver() { "$WINESERVER" "$@"; }
vel_reg() { vel_wine reg add "$@" /f >/dev/null 2>&1; }

vel_prefix_init() {
  # The stamp names the set-up below (and the win64 prefix): a prefix made by
  # an older one is made anew.
  if [ -f "$WINEPREFIX/.vel-ready-3" ] && [ -f "$WINEPREFIX/system.reg" ]; then return 0; fi
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  vel_wine wineboot -i >/dev/null 2>&1 || { echo "wine-env: wineboot failed" >&2; return 1; }
  vel_reg 'HKCU\Software\Wine\Fonts\Replacements' /v Verdana /d 'DejaVu Sans'
  # A finger, not a mouse: the tap tolerance derives from the double-click rectangle.
  vel_reg 'HKCU\Control Panel\Mouse' /v DoubleClickWidth /d 24
  vel_reg 'HKCU\Control Panel\Mouse' /v DoubleClickHeight /d 24
  # A phone has no window manager: without this Wine waits about two seconds
  # for one each time a visible top-level window is destroyed.
  vel_reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
  vel_wineserver -w
  touch "$WINEPREFIX/.vel-ready-3"
}

# The contacts COM stand-in, registered again whenever it was rebuilt.
vel_register_pimstore() {
  local dll=$VEL_BUILD_DIR/out/pimstore.dll stamp=$WINEPREFIX/.vel-pimstore-registered
  [ -f "$dll" ] || return 0
  [ -f "$stamp" ] && [ ! "$dll" -nt "$stamp" ] && return 0
  vel_wine regsvr32 /s "Z:${dll//\//\\}" </dev/null >/dev/null 2>&1 && touch "$stamp"
}

vel_session_start() {
  [ -n "${VEL_WINE_SESSION:-}" ] && return 0
  vel_start_display || return 1
  vel_prefix_init || return 1
  vel_wineserver -p && vel_started_wineserver=1
  # Wine's own service processes start with the first program and outlive it:
  # start them here, away from any pipe a caller (ctest) waits on.
  vel_wine cmd.exe /c exit </dev/null >/dev/null 2>&1
  vel_register_pimstore
  # A program's DPI left behind by a run that was killed.
  vel_program_dpi_reset
  export VEL_WINE_SESSION=1
}

vel_session_stop() {
  if [ -n "$vel_started_wineserver" ]; then vel_wineserver -k 2>/dev/null; vel_wineserver -w 2>/dev/null; fi
  if [ -n "$vel_started_xvfb" ]; then kill "$vel_started_xvfb" 2>/dev/null; wait "$vel_started_xvfb" 2>/dev/null; fi
  vel_started_wineserver=; vel_started_xvfb=
  unset VEL_WINE_SESSION
}

# --- the program, as the run command and the end-to-end tests start it -----

# The program's folder for a screen size: the build's own for 480 x 640; for
# another size a folder beside it that holds the same files (hard links) with
# the Silver library drawn for that size.
vel_program_dir() {
  local screen=${1:-$VEL_SCREEN} out=$VEL_BUILD_DIR/out
  [ -f "$out/KithLedger.exe" ] || { echo "wine-env: $out/KithLedger.exe is not built" >&2; return 1; }
  if [ "$screen" = 480x640 ]; then echo "$out"; return 0; fi
  [ -d "$out/Screens/$screen/Themes" ] || { echo "wine-env: no theme is drawn for a $screen screen" >&2; return 1; }
  local dir=$VEL_BUILD_DIR/screens/$screen
  rm -rf "$dir" && mkdir -p "$dir" || return 1
  local f
  for f in "$out"/*; do
    case ${f##*/} in
      Screens|Themes|testdata|*_tests.exe) ;;
      *) cp -al "$f" "$dir/" 2>/dev/null || cp -a "$f" "$dir/" || return 1 ;;
    esac
  done
  cp -a "$out/Screens/$screen/Themes" "$dir/Themes" && echo "$dir"
}

# KithLedger.exe runs in a Wine virtual desktop of its own, "KithLedger", of
# the phone's size (what "explorer /desktop=KithLedger,<size>" makes), named
# for the program in the prefix so that it can be started directly and its
# exit code reaches the caller.
vel_program_desktop() {
  vel_reg 'HKCU\Software\Wine\AppDefaults\KithLedger.exe\Explorer' /v Desktop /d KithLedger
  vel_reg 'HKCU\Software\Wine\Explorer\Desktops' /v KithLedger /d "${1:-$VEL_SCREEN}"
  vel_program_dpi "${1:-$VEL_SCREEN}"
}

# The dots per inch of the phone of a screen size: 96 at 240 x 320, 192 at
# 480 x 640, in step with the shorter side. Fonts are sized in points, so
# the desktop's 96 would draw every text of a larger phone too small.
vel_screen_dpi() {
  local size=${1:-$VEL_SCREEN} w h
  w=${size%x*} h=${size#*x}
  echo $(( (w < h ? w : h) * 96 / 240 ))
}

# Wine reads the system DPI once per process, at its start, from
# HKCU\Control Panel\Desktop LogPixels: set for the program's screen before
# each start, and taken away again (the prefix's own 96) by
# vel_program_dpi_reset so that the unit tests, which run in the same
# prefix, see the default.
vel_program_dpi() {
  vel_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$(vel_screen_dpi "$1")" /f >/dev/null 2>&1
}

vel_program_dpi_reset() {
  vel_wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
}

VEL_PROGRAM_PID=
VEL_PROGRAM_LOG=
vel_program_start() {
  local dir=$1
  vel_program_desktop "$VEL_SCREEN"
  VEL_PROGRAM_LOG=$VEL_BUILD_DIR/run.log
  (cd "$dir" && exec "$VEL_WINE" KithLedger.exe) </dev/null >"$VEL_PROGRAM_LOG" 2>&1 &
  VEL_PROGRAM_PID=$!
}

# The program's virtual desktop window on the X display, once it is there.
vel_program_desktop_window() {
  xdotool search --name '^KithLedger - Wine desktop$' 2>/dev/null | head -n 1
}

# Waits (seconds) until the main window is shown and its title bar painted.
vel_program_wait_painted() {
  local limit=$(( ${1:-20} * 20 )) i desk
  for i in $(seq 1 "$limit"); do
    kill -0 "$VEL_PROGRAM_PID" 2>/dev/null || return 1
    desk=$(vel_program_desktop_window)
    if [ -n "$desk" ] && xdotool search --name '^Velmora Kith Ledger$' >/dev/null 2>&1; then
      # The title bar's slate gradient, not the desktop's own colour.
      local rgb
      rgb=$(import -window "$desk" -crop 1x1+2+2 -depth 8 txt:- 2>/dev/null | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p')
      # A second start ends within moments, leaving the first one's window.
      case $rgb in
        4[0-9A-Fa-f]5[0-9A-Fa-f]6[0-9A-Fa-f]|4[0-9A-Fa-f]5[0-9A-Fa-f]5[0-9A-Fa-f])
          sleep 0.5; kill -0 "$VEL_PROGRAM_PID" 2>/dev/null; return ;;
      esac
    fi
    sleep 0.05
  done
  return 1
}

vel_program_screenshot() {
  import -window "$(vel_program_desktop_window)" "$1"
}

# Closes the main window as a user does (Alt+F4 on it) and waits for the
# process.
vel_program_close() {
  local window
  window=$(xdotool search --name '^Velmora Kith Ledger$' 2>/dev/null | head -n 1)
  if [ -n "$window" ]; then
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key --clearmodifiers alt+F4 2>/dev/null
  fi
  local i
  for i in $(seq 1 100); do
    kill -0 "$VEL_PROGRAM_PID" 2>/dev/null || { wait "$VEL_PROGRAM_PID"; return; }
    sleep 0.05
  done
  echo "wine-env: KithLedger.exe did not end on close; stopped" >&2
  kill "$VEL_PROGRAM_PID" 2>/dev/null
  wait "$VEL_PROGRAM_PID" 2>/dev/null
  return 1
}
