#!/usr/bin/env bash
# Builds VAM and runs it against the built-in meter simulator: an H264
# (eight channels) on a pseudo-terminal, polled every second.
# Without a display it runs under a virtual one (xvfb-run).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh

model="${VAM_DEMO_MODEL:-H264}"
workdir="$(mktemp -d)"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$workdir"
}
trap cleanup EXIT

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
echo "demo: simulated $model meter on $port"

args=(--port="$port" --model="$model" --connect "$@")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "demo: no display found; running VAM under xvfb-run (a virtual display you cannot see)."
  xvfb-run -a -s "-screen 0 1280x800x24" build/app/vam "${args[@]}"
else
  build/app/vam "${args[@]}"
fi
