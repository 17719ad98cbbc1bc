#!/usr/bin/env bash
# Builds VAM and runs it against the built-in meter simulator: an H264
# (eight channels) on a pseudo-terminal. A demo configuration ("cfg=demo",
# kept apart from your own settings) selects the model, opens a graph and an
# XY recorder of its channels, and measuring and logging start by themselves.
# The demo logs into a data folder of its own (Velmark/VAM/Demo under your
# documents folder), never into your own data files. Without a display it
# runs under a virtual one; Ctrl+C ends it there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
# Only the programs the demo runs: the tests are not needed to see it.
scripts/build.sh --target vam vam-cli vam-metersim

model="${VAM_DEMO_MODEL:-H264}"
workdir="$(mktemp -d)"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$workdir"
}
trap cleanup EXIT

# The demo configuration, where VAM looks for the "demo" set.
docs="$(xdg-user-dir DOCUMENTS 2>/dev/null || true)"
if [ -z "$docs" ] || [ "$docs" = "$HOME" ]; then docs="$HOME/Documents"; fi
settings="$docs/Velmark/VAM/Settings"
data="$docs/Velmark/VAM/Demo"
mkdir -p "$settings" "$data"
printf '%s\r\n' "[COMMUNICATION]" "Serial Port = COM1" "Baudrate = 9600" \
  "[DEVICE]" "Device = $model" "Poll values = 1" "Interval = 1" \
  "[LOG]" "Interval = 2" "ConnectAtStart = 1" "LogAtStart = 1" \
  "[GRAPHICS]" "(VALUE AXIS)" "Autoscale=1" "(TIME AXIS)" "No of points=120" "Label=1" \
  "(MISCELLANEA)" "Name=Channels 1 and 5" "Legend=1" "(ALARM HIGH)" "Set=1" "Value=7.4" \
  "(LINE) = 1" "Input=1" "Min=1" "Max=1" "Mean=1" "(LINE) = 2" "Input=5" "(END)" \
  "[GRAPHICS]" "(MISCELLANEA)" "Name=Channel 8" "XY Recorder=1" "(LINE) = 1" "Input=8" "(END)" \
  "[TABLE]" "Visible = 1" "[SYSTEM]" "Folder Data = $data" > "$workdir/demo.cfg"
build/tools/cli/vam-cli config "$workdir/demo.cfg" --out "$settings/VAM.CFGdemo"

build/tools/metersim/vam-metersim --model "$model" --seed 7 --ignore-stdin > "$workdir/sim.out" 2> "$workdir/sim.err" &
sim_pid=$!
for _ in $(seq 50); do
  [ -s "$workdir/sim.out" ] && break
  sleep 0.1
done
port="$(head -n 1 "$workdir/sim.out")"
if [ -z "$port" ]; then
  echo "demo: the meter simulator did not start:" >&2
  cat "$workdir/sim.err" >&2
  exit 1
fi
echo "demo: simulated $model meter on $port; readings are logged in $data/demo-$model.vam (the demo's own folder)"

args=(cfg=demo --port="$port" "$data/demo-$model.vam" "$@")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "demo: no display found; running VAM under xvfb-run (a virtual display you cannot see)."
  xvfb-run -a -s "-screen 0 1280x800x24" build/app/vam "${args[@]}"
else
  build/app/vam "${args[@]}"
fi
