#!/usr/bin/env bash
# Receive and Transfer of a 5,000-record logger print from the simulator on a
# pseudo-terminal: every record reaches the output and the data file, and the
# capture is byte-identical to what the simulator prints.
set -euo pipefail
source "$(dirname "$0")/simulator.sh" "$@"

start_sim K231 --model K231 --dump 5000 --dump-now --seed 11
"$cli" receive --model K231 --port "$port" --idle-exit 1.5 --out "$work/received.vam" > "$work/received.txt"
records=$(cut -f2 "$work/received.txt" | sort -un | wc -l)
lines=$(grep -c "^'[0-9]" "$work/received.vam" || true)
echo "received: $records records printed, $lines records in the data file"
[ "$records" -eq 5000 ] && [ "$lines" -eq 5000 ]

start_sim K232 --model K232 --dump 5000 --dump-now --seed 11
"$cli" transfer --port "$port" --out "$work/capture.txt" --idle-exit 1.5
"$sim" --model K232 --dump 5000 --seed 11 --stdout > "$work/printed.txt"
cmp "$work/capture.txt" "$work/printed.txt"
echo "transfer: $(wc -c < "$work/capture.txt") bytes, identical to the print"
# Both simulators are known to the cleanup, so none outlives the test.
[ "${#pids[@]}" -eq 2 ] || { echo "simulators started but not tracked for the cleanup: ${#pids[@]} of 2"; exit 1; }
