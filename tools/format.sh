#!/usr/bin/env bash
# Formats every C++ file git tracks with the root .clang-format, or with
# --check lists the files that differ from it and fails when there are any.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
format=${CLANG_FORMAT:-clang-format}
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" != --check ]; then
  "$format" -i "${files[@]}"
  exit 0
fi
# One clang-format a file, as many at once as there are processors.
differ=$(printf '%s\0' "${files[@]}" | xargs -0 -P "$(nproc)" -n 1 sh -c \
  '"$0" "$1" | cmp -s - "$1" || echo "format: $1 differs from .clang-format (tools/format.sh formats it)"' "$format")
[ -z "$differ" ] && exit 0
echo "$differ"
exit 1
