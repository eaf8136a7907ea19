#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export VEL_BUILD_DIR=${VEL_BUILD_DIR:-$here/build}

"$here/tools/install-deps.sh"
cmake -S "$here" -B "$VEL_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$VEL_BUILD_DIR"

source "$here/tools/wine-env.sh"
trap vel_session_stop EXIT
vel_session_start
ctest --test-dir "$VEL_BUILD_DIR" --output-on-failure -j "$(nproc)" "$@" </dev/null
