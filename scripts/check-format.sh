#!/usr/bin/env bash
# Checks that the project's own C++ sources are formatted as .clang-format says, with the
# clang-format of Debian 12 (version 14; another version may break some lines differently).
#   scripts/check-format.sh        names each line that differs and fails
#   scripts/check-format.sh --fix  formats those files in place
# Exits with 77 (a skipped test) where clang-format is not installed.
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=${CLANG_FORMAT:-clang-format}
if ! command -v "$clang_format" >/dev/null; then
  echo "$clang_format not found (scripts/install-deps.sh installs it)" >&2
  exit 77
fi
files=()
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  while IFS= read -r -d '' f; do
    [ -f "$f" ] && files+=("$f")
  done < <(git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h')
else
  while IFS= read -r -d '' f; do
    files+=("$f")
  done < <(find . -path './build*' -prune -o -path './run' -prune -o \
    \( -name '*.cpp' -o -name '*.h' \) -type f -print0)
fi
if [ "${1:-}" = --fix ]; then
  "$clang_format" -i "${files[@]}"
elif ! "$clang_format" --dry-run --Werror "${files[@]}"; then
  echo "Not formatted as .clang-format says; scripts/check-format.sh --fix formats them." >&2
  exit 1
fi
