#!/usr/bin/env bash
# Starts the whole system from a build folder on a fresh data folder with demo data: simulated
# units on a pseudo-terminal, the communication program on their line and the management
# program. Without a display the management program's screens are saved as pictures.
# The run lasts as long as the management program: a backup stops the communication program and
# starts it again, and the copy it starts belongs to the run too. Ctrl+C stops everything.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
minutes=${RUN_MINUTES:-60}
newdata=$build/tools/newdata/newdata
demodata=$build/tools/demodata/demodata
demoview=$build/tools/demoview/demoview
unitsim=$build/tools/unitsim/unitsim
reruzida=$build/reruzida/Reruzida
zezoduzu=$build/entrance/Zezoduzu
for p in "$newdata" "$demodata" "$demoview" "$unitsim" "$reruzida" "$zezoduzu"; do
  if [ ! -x "$p" ]; then
    echo "Not built: $p"
    exit 1
  fi
done

run=$build/run
data=$run/data
pictures=$run/pictures
pids=()
# The programs of this run hold the single-instance locks in its runtime folder (the process
# id on their first line), the copy a backup started again included; a process id counts only
# while it still runs a program of the data folder.
instance_pids() {
  local lock pid
  for lock in "$XDG_RUNTIME_DIR"/zz-instance-*.lock; do
    [ -f "$lock" ] || continue
    pid=$(head -n 1 "$lock")
    case $(readlink "/proc/$pid/exe" 2>/dev/null) in
      "$data"/*) echo "$pid" ;;
    esac
  done
}
stop() {
  trap - INT TERM EXIT
  local all
  all=$(instance_pids 2>/dev/null || true)
  for pid in "${pids[@]}" $all; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  # Nothing of the run may go on holding the ports.
  for pid in $all; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
}
trap stop INT TERM EXIT

# Settings and runtime folder of this run only, so the user's own and a copy already running
# elsewhere stay as they are.
export ZEZODUZU_REGISTRY=$run/registry.ini
export XDG_RUNTIME_DIR=$run/runtime
rm -rf "$run"
mkdir -p "$run" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
offscreen=
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  offscreen=1
  export QT_QPA_PLATFORM=offscreen
fi

"$newdata" "$data"
# The data folder is the communication program's own folder.
cp "$reruzida" "$data/Reruzida"
cp "$zezoduzu" "$data/Zezoduzu"

script=$run/units.txt
"$demodata" --script "$script" "$minutes"
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
# The administrator, business office, departments, units, rooms and persons, through the
# programs' own SQL; the administrator's password goes into the registry store above.
"$demodata" "$data"

(cd "$data" && exec ./Reruzida >"$run/Reruzida.out" 2>&1) &
pids+=($!)
# The communication program started again by hand (after a restore) needs this run's settings
# and runtime folder; from a plain shell it would read the user's settings and poll COM1.
cat >"$run/start-Reruzida" <<SH
#!/usr/bin/env bash
# Starts the communication program of this run again, on the simulated units' line.
cd "$data" || exit 1
ZEZODUZU_REGISTRY="$ZEZODUZU_REGISTRY" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" \\
  nohup ./Reruzida >>"$run/Reruzida.out" 2>&1 &
SH
chmod +x "$run/start-Reruzida"
echo "Data folder: $data (demo data: 6 persons in 3 departments, 4 units, 3 rooms)."
echo "Units 1 to 4 simulated on $line: the persons enrol, then every two seconds one enters"
echo "or leaves a room, for $minutes minutes."
echo "Communication program Reruzida started (in the tray, or as a window where there is none);"
echo "to start it again by hand (after a restore): $run/start-Reruzida"
if [ -n "$offscreen" ]; then
  (cd "$data" && exec "$demoview" "$data/Zezoduzu" "$pictures" >"$run/demoview.out" 2>&1) &
  pids+=($!)
  echo "No display: the programs run offscreen. The management program, logged in as admin,"
  echo "saves its screens as pictures in $pictures (menu.png; rooms.png, the room tiles, every 5 s)."
else
  (cd "$data" && exec ./Zezoduzu >"$run/Zezoduzu.out" 2>&1) &
  pids+=($!)
  echo "Management program Zezoduzu started: log in as admin, password admin; the room tiles are"
  echo "under 入退室管理 > 部屋別入室状況."
fi
echo "Press Ctrl+C to stop."
wait "${pids[-1]}"
