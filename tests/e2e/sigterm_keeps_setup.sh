#!/usr/bin/env bash
# vam measuring and logging from the simulator gets SIGTERM (a shutdown, a
# logout): it ends as File Exit does. The data file ends with the stop
# record, and the configuration written back means what the one read did:
# channel names and flags, alarm limits (also of a channel without a value
# window) and the graph blocks.
set -euo pipefail
vam="$1"; cli="$2"; sim="$3"
work="$(mktemp -d)"
pids=()
cleanup() { for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"; }
trap cleanup EXIT

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QT_QPA_PLATFORM=offscreen
settings="$HOME/Documents/Velmark/VAM/Settings"
mkdir -p "$settings"
data="$HOME/Documents/Velmark/VAM/Data/Untitled.vam"
printf '%s\r\n' "[COMMUNICATION]" "Serial Port = COM1" "Baudrate = 9600" \
  "[DEVICE]" "Device = a102" "Poll values = 1" "Interval = 1" \
  "[LOG]" "Interval = 1" "ConnectAtStart = 1" "LogAtStart = 1" \
  "[CHANNEL]" "Index = 1" "Name = Bath left" "Use = 1" "Value = 1" \
  "[READINGS]" "Visible = 1" "(ALARM)" "AlarmHighTest = 1" "AlarmHighLimit = 7.5" \
  "[CHANNEL]" "Index = 2" "Name = Temp" "Use = 0" "Value = 0" \
  "[READINGS]" "Visible = 0" "(ALARM)" "AlarmLowTest = 1" "AlarmLowLimit = 12" \
  "[GRAPHICS]" "(TIME AXIS)" "No of points=300" "(LINE) = 1" "Input=1" "(END)" > "$work/seed.cfg"
"$cli" config "$work/seed.cfg" --out "$settings/VAM.CFG7" 2> "$work/config.err"

"$sim" --model A102 --seed 5 --ignore-stdin > "$work/sim.out" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/sim.out" ] && break; sleep 0.05; done
port="$(head -n 1 "$work/sim.out")"

"$vam" cfg=7 --port="$port" > "$work/vam.out" 2>&1 &
vam_pid=$!
pids+=($vam_pid)
# Wait for logged readings (each one is in the data file once it is logged).
for _ in $(seq 200); do
  [ -f "$data" ] && [ "$(grep -c "^'[0-9]" "$data")" -ge 2 ] && break
  sleep 0.05
done
kill -TERM "$vam_pid"
rc=0
wait "$vam_pid" || rc=$?
if [ "$rc" -ne 0 ]; then echo "vam ended with $rc"; cat "$work/vam.out"; exit 1; fi

records=$(grep -c "^'[0-9]" "$data")
echo "data file: $records records"
tail -n 1 "$data" | grep -q "'Stop'\s*$" || { echo "no stop record at the end"; tail -n 3 "$data"; exit 1; }

# The same meaning: what the reader makes of each file, written by the same writer.
"$cli" config "$settings/VAM.CFG7" --out "$work/after.cfg" 2>/dev/null
"$cli" config "$work/seed.cfg" --out "$work/before.cfg" 2>/dev/null
meaning() { # the channel, alarm and graph lines (a graph window's place and default caption are its own)
  tr -d '\r' < "$1" | awk '
    /^\[/ { keep = ($0 == "[CHANNEL]" || $0 == "[GRAPHICS]" || $0 == "[READINGS]") }
    keep && in_graph && !/^(Top|Left|Height|Width|Name)=/ { print; next }
    keep && !in_graph && ($0 ~ /^\[/ || /^(Index|Name|Use|Value|Alarm)/) { print }
    /^\[GRAPHICS\]/ { in_graph = 1 } /^\(END\)/ { in_graph = 0 }'
}
diff <(meaning "$work/before.cfg") <(meaning "$work/after.cfg")
meaning "$work/after.cfg" | grep -q "^AlarmLowLimit = 12$"
meaning "$work/after.cfg" | grep -q "^Name = Temp$"
echo "configuration: channels, alarm limits and graph blocks kept"
