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
differ=0
for f in "${files[@]}"; do
  if ! "$format" "$f" | cmp -s - "$f"; then
    echo "format: $f differs from .clang-format (tools/format.sh formats it)"
    differ=1
  fi
done
exit $differ
