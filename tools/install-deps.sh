#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the run need.
# Does nothing when all of them are already there.
set -euo pipefail

packages=(
  wine64
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  cmake ninja-build googletest
  libboost-dev libsimpleini-dev
  xvfb xdotool x11-apps imagemagick fonts-dejavu-core
  python3 clang-format
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
