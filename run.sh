#!/usr/bin/env bash
# Installs what is missing, builds, then runs the demo: the meter simulator on a
# pseudo-terminal feeding mivora-cli record, which prints each reading as it is
# committed, saves the recording (kept in a temp folder) and lists it back.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh build

cli=build/bin/mivora-cli
work=$(mktemp -d)
sim_pid=""
stop_simulator() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true; }
trap stop_simulator EXIT

# The simulator prints its device path first, then sends four frames a second.
"$cli" simulate --pty --rate 4 --log-every 7 >"$work/sim.out" &
sim_pid=$!
for _ in $(seq 50); do
  [ -s "$work/sim.out" ] && break
  sleep 0.1
done
device=$(head -n 1 "$work/sim.out")
[ -n "$device" ] || { echo "the simulator did not start" >&2; exit 1; }
echo "Meter simulator on $device"

"$cli" record --device "$device" --count 20 --out "$work/demo.Mvrlog"

echo
echo "== mivora-cli dump demo.Mvrlog =="
"$cli" dump "$work/demo.Mvrlog"
