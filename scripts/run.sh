#!/usr/bin/env bash
# Starts the whole system from a build folder: simulated units on a pseudo-terminal, the
# communication program on their line and, once it is built, the management program, all on
# one fresh data folder. Ctrl+C stops everything.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
newdata=$build/tools/newdata/newdata
unitsim=$build/tools/unitsim/unitsim
reruzida=$build/reruzida/Reruzida
zezoduzu=$build/entrance/Zezoduzu
for p in "$newdata" "$unitsim" "$reruzida"; do
  if [ ! -x "$p" ]; then
    echo "Not built yet: $(basename "$p"); nothing to start until it is."
    exit 0
  fi
done

run=$build/run
data=$run/data
rm -rf "$run"
mkdir -p "$run"
"$newdata" "$data"
# The data folder is the communication program's own folder.
cp "$reruzida" "$data/Reruzida"
[ -x "$zezoduzu" ] && cp "$zezoduzu" "$data/Zezoduzu"

# Settings of this run only, so the user's own stay as they are.
export ZEZODUZU_REGISTRY=$run/registry.ini
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the programs run offscreen."
  export QT_QPA_PLATFORM=offscreen
fi

# Four units; every two seconds one of them reports an entry or an exit, now and then a
# refused finger.
script=$run/units.txt
{
  codes=(1000001 1000002 1000003 1000004 1000005)
  operations=(11 12 22 21)
  for i in $(seq 0 299); do
    echo "$((2000 + i * 2000)) log $((i % 4 + 1)) ${operations[$((i / 4 % 4))]} $(((i % 7) ? 1 : 0)) ${codes[$((i % 5))]}"
  done
} >"$script"

pids=()
stop() {
  trap - INT TERM EXIT
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap stop INT TERM EXIT

"$unitsim" -n 4 --script "$script" --quiet >"$run/unitsim.out" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  [ -s "$run/unitsim.out" ] && break
  sleep 0.1
done
line=$(head -n 1 "$run/unitsim.out")
case $line in
  /dev/*) ;;
  *) echo "unitsim did not start: $line"; exit 1 ;;
esac
cat >"$ZEZODUZU_REGISTRY" <<INI
[HKEY_LOCAL_MACHINE\\Software\\Zezoduzu]
Comm=1

[HKEY_LOCAL_MACHINE\\Software\\Zezoduzu\\Ports]
COM1=$line
INI

"$data/Reruzida" >"$run/Reruzida.out" 2>&1 &
pids+=($!)
echo "Units 1 to 4 simulated on $line."
echo "Communication program Reruzida started (in the tray; a second start shows its window)."
if [ -x "$data/Zezoduzu" ]; then
  "$data/Zezoduzu" >"$run/Zezoduzu.out" 2>&1 &
  pids+=($!)
  echo "Management program Zezoduzu started."
else
  echo "The management program Zezoduzu is not built yet; running the rest without it."
fi
echo "Data folder: $data"
echo "Press Ctrl+C to stop."
wait "${pids[1]}"
