#!/usr/bin/env bash
# Installs what is missing, builds every program the cases start (klbench
# depends on KithLedger, kldevice and klminimal) and runs the benchmark in the
# project's Wine session on a 480x640 Xvfb of its own: ours against the
# platform's list control, alternated in one process, and the program against
# a minimal one. Writes the text table (printed too, each missed target
# marked) and a JSON file of every sample, with the Wine version, the CPU
# model and the build flags; fails when a case gives no number. Extra
# arguments go to klbench.exe (for instance --smoke, --repeats 20,
# --sizes 1000,10000, or --only load. for the cases whose names begin with
# "load.").
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export VEL_BUILD_DIR=${VEL_BUILD_DIR:-$here/build}
results=${VEL_BENCH_RESULTS:-$VEL_BUILD_DIR/bench-results}

"$here/tools/install-deps.sh"
cmake -S "$here" -B "$VEL_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$VEL_BUILD_DIR" --target klbench -j "${VEL_BUILD_JOBS:-4}"

# Always a display of our own at the phone's size, whatever DISPLAY says.
unset DISPLAY
export VEL_SCREEN=480x640
source "$here/tools/wine-env.sh"
trap vel_session_stop EXIT
vel_session_start

mkdir -p "$results"
wine_version=$("$VEL_WINE" --version 2>/dev/null || echo unknown)
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
cpu="${cpu:-unknown} ($(nproc) threads)"
cd "$VEL_BUILD_DIR/out"
status=0
"$VEL_WINE" ./klbench.exe --wine "$wine_version" --cpu "$cpu" \
  --json "Z:${results//\//\\}\\klbench.json" --table "Z:${results//\//\\}\\klbench.txt" "$@" </dev/null || status=$?
echo
echo "bench: $wine_version on $cpu"
echo "bench: table in $results/klbench.txt, every sample in $results/klbench.json"
exit "$status"
