#!/usr/bin/env bash
# Runs one end-to-end case inside the project's Wine session: the one the test
# command started, or one of its own when run alone.
# Usage: run_e2e.sh BUILD_DIR SCRIPT CASE
set -u
export VEL_BUILD_DIR=$(cd "$1" && pwd)
shift
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-env.sh"
export VEL_SOURCE_DIR VEL_WINE
if [ -z "${VEL_WINE_SESSION:-}" ]; then
  trap 'vel_program_dpi_reset; vel_session_stop' EXIT
  vel_session_start || exit 1
else
  # The program's DPI is the phone's; the unit tests that follow in this
  # session run at the prefix's own.
  trap vel_program_dpi_reset EXIT
fi
# No byte-code beside the sources.
export PYTHONDONTWRITEBYTECODE=1
python3 "$@"
