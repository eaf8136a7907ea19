#!/usr/bin/env bash
# Installs what is missing, builds, and starts Velmora Kith Ledger in a
# phone-sized Wine desktop: on this display, or on Xvfb when there is none.
#
#   tools/run.sh [480x640|240x320] [--once]
#
# The screen size is the argument, else $VEL_SCREEN, else 480x640. The demo
# phone data is seeded into the device store on first use. Once the program
# has painted, a screenshot is saved and its path printed; the script then
# waits until the program ends (--once: closes it right after the screenshot).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export VEL_BUILD_DIR=${VEL_BUILD_DIR:-$here/build}

once=
for arg in "$@"; do
  case $arg in
    --once) once=1 ;;
    [0-9]*x[0-9]*) export VEL_SCREEN=$arg ;;
    *) echo "usage: tools/run.sh [480x640|240x320] [--once]" >&2; exit 2 ;;
  esac
done

"$here/tools/install-deps.sh"
cmake -S "$here" -B "$VEL_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$VEL_BUILD_DIR"

source "$here/tools/wine-env.sh"
program_dir=$(vel_program_dir "$VEL_SCREEN") || exit 1
trap 'vel_program_dpi_reset; vel_session_stop' EXIT
vel_session_start

kldevice=$VEL_BUILD_DIR/out/kldevice.exe
# "seed" writes the demo set into an empty store only: later runs keep what
# the last one left.
vel_wine "$kldevice" seed </dev/null | sed 's/^/run: /' || true

shot=$VEL_BUILD_DIR/screenshots/run-$VEL_SCREEN.png
vel_program_start "$program_dir"
if ! vel_program_wait_painted 20; then
  if ! kill -0 "$VEL_PROGRAM_PID" 2>/dev/null && wait "$VEL_PROGRAM_PID" &&
     xdotool search --name '^Velmora Kith Ledger$' >/dev/null 2>&1; then
    # The single-instance guard: the running one was brought to the front.
    echo "run: KithLedger.exe was already running on this display; it is in front now."
    exit 0
  fi
  echo "run: KithLedger.exe did not come up (see $VEL_PROGRAM_LOG)" >&2
  exit 1
fi
mkdir -p "$(dirname "$shot")"
vel_program_screenshot "$shot"
echo "run: KithLedger.exe runs in a $VEL_SCREEN Wine desktop on display $DISPLAY."
echo "run: screenshot: $shot"
if [ -n "$once" ]; then
  vel_program_close
  exit 0
fi
# Ctrl-C (or a TERM) closes the program as a user would, then the session ends.
trap 'vel_program_close; exit 0' INT TERM
[ -n "$vel_started_xvfb" ] && echo "run: that display is a private Xvfb; Ctrl-C ends the program."
echo "run: feed it phone data from another shell, e.g.  $VEL_BUILD_DIR/wine-run $kldevice sms receive +441632960001 'Hello'"
while kill -0 "$VEL_PROGRAM_PID" 2>/dev/null; do wait "$VEL_PROGRAM_PID" || true; done
