#!/usr/bin/env bash
# Runs one PE program under the project's Wine prefix (the build's crosscompiling
# emulator). Inside a session of the test or run script it only calls wine;
# alone it starts a display and a wineserver for this one run and stops them after.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
if [ -n "${VEL_WINE_SESSION:-}" ]; then
  exec "$VEL_WINE" "$@"
fi
trap vel_session_stop EXIT
vel_session_start || exit 1
vel_wine "$@"
