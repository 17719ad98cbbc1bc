#!/usr/bin/env bash
# Receive and Transfer of a 5,000-record logger print from the simulator on a
# pseudo-terminal: every record reaches the output and the data file, and the
# capture is byte-identical to what the simulator prints.
set -euo pipefail
sim="$1"; cli="$2"
work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Runs in this shell, not in $(...): a pid recorded in a subshell is lost to
# the cleanup and the simulator outlives the test.
start_sim() { # model -> sets $port to the pty path
  "$sim" --model "$1" --dump 5000 --dump-now --seed 11 --ignore-stdin > "$work/sim.$1.out" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/sim.$1.out" ] && break; sleep 0.05; done
  port="$(head -n 1 "$work/sim.$1.out")"
}

start_sim K231
"$cli" receive --model K231 --port "$port" --idle-exit 1.5 --out "$work/received.vam" > "$work/received.txt"
records=$(cut -f2 "$work/received.txt" | sort -un | wc -l)
lines=$(grep -c "^'[0-9]" "$work/received.vam" || true)
echo "received: $records records printed, $lines records in the data file"
[ "$records" -eq 5000 ] && [ "$lines" -eq 5000 ]

start_sim K232
"$cli" transfer --port "$port" --out "$work/capture.txt" --idle-exit 1.5
"$sim" --model K232 --dump 5000 --seed 11 --stdout > "$work/printed.txt"
cmp "$work/capture.txt" "$work/printed.txt"
echo "transfer: $(wc -c < "$work/capture.txt") bytes, identical to the print"
# Both simulators are known to the cleanup, so none outlives the test.
[ "${#pids[@]}" -eq 2 ] || { echo "simulators started but not tracked for the cleanup: ${#pids[@]} of 2"; exit 1; }
