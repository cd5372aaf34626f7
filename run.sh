#!/usr/bin/env bash
# Installs what is missing, builds, then starts the meter simulator on a
# pseudo-terminal and the Mivora window with COM3 mapped to it, in a settings
# folder of its own (your own settings are left alone). Press On/Off in the
# window and the readings flow at once.
#
# Without a display it runs the command-line demo instead (simulator ->
# mivora-cli record -> dump, the recording kept in a temp folder) and says how
# to start the window under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh build

cli=build/bin/mivora-cli
app=build/bin/mivora
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

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo
  echo "No display found, so the window cannot open here. To run it on a virtual screen:"
  echo "  xvfb-run -a -s \"-screen 0 1280x1024x24\" ./run.sh"
  echo "(look at it with 'import -window root shot.png' on the same X server)."
  echo
  echo "Meanwhile, the command-line demo: 20 readings recorded by mivora-cli."
  "$cli" record --device "$device" --count 20 --out "$work/demo.Mvrlog"
  echo
  echo "== mivora-cli dump demo.Mvrlog =="
  "$cli" dump "$work/demo.Mvrlog"
  exit 0
fi

# A settings folder of this run only: port 3 is the simulator's pseudo-terminal.
config="$work/config"
mkdir -p "$config"
cat >"$config/loggerconfig.ini" <<INI
[COMInfo]
COM num=3
[COMDevices]
COM3=$device
INI

echo "Starting the window (settings in $config)."
echo "Press On/Off (the green power button, or Tools > On/Off): readings flow at once."
echo "Close the window to end the demo."
# Save proposes its files in the current folder: use this run's folder.
repo=$PWD
(cd "$work" && MIVORA_CONFIG_DIR="$config" "$repo/$app")
