#!/usr/bin/env bash
# Installs the Debian packages the build, the programs and the tests need;
# does nothing when all of them are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-translations-l10n
  libsqlite3-dev sqlite3
  unixodbc unixodbc-dev
  libicu-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-mincho fonts-ipafont-gothic
  poppler-utils
  strace
  clang-format
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
