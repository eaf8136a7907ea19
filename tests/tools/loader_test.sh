#!/usr/bin/env bash
# Runs a program through the build's emulator with a PATH whose wine, wineboot
# and wineserver all fail, as Debian's wrapper does where wine32 is installed
# but cannot execute: the program must still run, through the 64-bit loader.
set -u
build=$1
fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
for tool in wine wineboot wineserver wine64 regsvr32; do
  printf '#!/bin/sh\necho "%s from PATH was used" >&2\nexit 126\n' "$tool" >"$fake/$tool"
  chmod +x "$fake/$tool"
done
out=$(PATH="$fake:$PATH" "$build/wine-run" cmd.exe /c echo loader-ok 2>&1)
rc=$?
case "$out" in
  *"from PATH was used"*) echo "FAIL: $out"; exit 1 ;;
esac
if [ $rc -ne 0 ] || [[ "$out" != *loader-ok* ]]; then
  echo "FAIL: exit $rc: $out"; exit 1
fi
arch=$(PATH="$fake:$PATH" "$build/wine-run" cmd.exe /c echo %PROCESSOR_ARCHITECTURE% 2>&1 | tr -d '\r')
[[ "$arch" == *AMD64* ]] || { echo "FAIL: not a 64-bit prefix: $arch"; exit 1; }
echo "the 64-bit loader ran the program in a 64-bit prefix"
