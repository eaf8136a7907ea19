# Sourced by the run and test scripts: the project's own Wine prefix, a display
# and a persistent wineserver, and the means to stop exactly what was started.
# Needs VEL_BUILD_DIR.

: "${VEL_BUILD_DIR:?VEL_BUILD_DIR must name the build directory}"
VEL_SOURCE_DIR=${VEL_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

export WINEPREFIX=${VEL_WINEPREFIX:-$VEL_BUILD_DIR/wineprefix}
export WINEARCH=win64
# The 64-bit loader itself: Debian's /usr/bin/wine picks the 32-bit loader
# whenever wine32 is installed, even on a host that cannot execute i386 code.
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
  export VEL_WINE_SESSION=1
}

vel_session_stop() {
  if [ -n "$vel_started_wineserver" ]; then vel_wineserver -k 2>/dev/null; vel_wineserver -w 2>/dev/null; fi
  if [ -n "$vel_started_xvfb" ]; then kill "$vel_started_xvfb" 2>/dev/null; wait "$vel_started_xvfb" 2>/dev/null; fi
  vel_started_wineserver=; vel_started_xvfb=
  unset VEL_WINE_SESSION
}
