#!/usr/bin/env bash
# Starts the whole system from a build folder: both programs on one data folder.
set -euo pipefail
build=${1:-build}
missing=()
for p in reruzida/Reruzida entrance/Zezoduzu tools/newdata/newdata tools/unitsim/unitsim; do
  [ -x "$build/$p" ] || missing+=("$(basename "$p")")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Built what exists; these programs are not built yet: ${missing[*]}"
  echo "Nothing to start until they are."
  exit 0
fi
