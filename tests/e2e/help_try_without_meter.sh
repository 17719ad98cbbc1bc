#!/usr/bin/env bash
# The help's first recipe, "Trying VAM without a meter", run as written:
#   vam-metersim --model H264 &
#   vam --port=/dev/pts/N --model=H264 --connect
# The simulator must keep running as a background job, started from a script
# (whose background jobs get /dev/null as stdin) and from an interactive
# shell on a terminal (where a job that reads the terminal is stopped). On a
# fresh home VAM opens its settings dialog first; the user presses OK, and a
# reading must then be in a value window within 10 s: Edit > Copy puts the
# active value window's reading on the clipboard.
# SCREENSHOT_DIR=folder keeps a picture of the window with its readings there.
set -euo pipefail
vam="$1"; sim="$2"
if [ -z "${VAM_UNDER_XVFB:-}" ]; then
  exec env VAM_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1280x900x24" bash "$0" "$@"
fi
export PATH="$(dirname "$vam"):$(dirname "$sim"):$PATH"
work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$work/vam.out" ] && cat "$work/vam.out"; exit 1; }

# --- From an interactive shell: the job runs on, the terminal untouched.
# The lines after the first wait as typed input on the terminal while the
# job starts: a job that reads it is stopped at once.
printf '%s\n' "vam-metersim --model H264 > '$work/tty.out' &" "echo \$! > '$work/tty.pid'" "sleep 1" \
  "jobs -l > '$work/jobs.txt'" "kill %1" "exit" "exit" |
  timeout 30 script -qfec "bash --norc --noprofile -i" /dev/null > "$work/script.log" 2>&1 || true
[ -s "$work/tty.pid" ] && pids+=("$(cat "$work/tty.pid")")
[ -s "$work/jobs.txt" ] || { cat "$work/script.log"; fail "the interactive shell did not run the recipe"; }
grep -q "Running" "$work/jobs.txt" || fail "on a terminal: $(cat "$work/jobs.txt")"
grep -q "^/dev/pts/" "$work/tty.out" || fail "on a terminal the simulator printed no device"
echo "interactive shell: $(tr -s ' ' < "$work/jobs.txt")"

# --- From this script, as the help writes it.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"
vam-metersim --model H264 > "$work/sim.out" &
pids+=($!)
sim_pid=$!
for _ in $(seq 100); do [ -s "$work/sim.out" ] && break; sleep 0.05; done
port="$(head -n 1 "$work/sim.out")"
[[ "$port" == /dev/pts/* ]] || fail "the simulator printed '$port'"
sleep 1
kill -0 "$sim_pid" 2>/dev/null || fail "the simulator started with & ended by itself"

vam --port="$port" --model=H264 --connect > "$work/vam.out" 2>&1 &
vam_pid=$!
pids+=($vam_pid)
# A first start: the settings dialog comes first, and the user presses OK.
dialog="$(timeout 30 xdotool search --sync --onlyvisible --name '^Settings$' | head -n 1)" || fail "no settings dialog"
xdotool windowfocus --sync "$dialog" key Return
start=$SECONDS
main="$(timeout 10 xdotool search --sync --onlyvisible --pid "$vam_pid" --name 'H264, Untitled.vam$' | head -n 1)" ||
  fail "no main window"

reading=""
while [ $((SECONDS - start)) -lt 10 ]; do
  sleep 0.5
  # Escape first: a menu left open by a Copy that was not yet offered.
  xdotool windowfocus --sync "$main" key --delay 100 Escape alt+e c
  reading="$(timeout 5 xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null || true)"
  [[ "$reading" =~ ^-?[0-9]+(\.[0-9]+)?$'\t' ]] && break
  reading=""
done
[ -n "$reading" ] || fail "no reading in the value window within 10 s of OK"
echo "reading after $((SECONDS - start)) s: $(printf '%s' "$reading" | tr '\t' ' ')"
if [ -n "${SCREENSHOT_DIR:-}" ]; then
  sleep 1
  import -window root "$SCREENSHOT_DIR/vam-without-meter.png"
fi

kill -TERM "$vam_pid"
rc=0
wait "$vam_pid" || rc=$?
[ "$rc" -eq 0 ] || fail "vam ended with $rc"
kill -0 "$sim_pid" 2>/dev/null || fail "the simulator did not outlive VAM"
grep -q "^Poll values = 1" "$HOME/Documents/Velmark/VAM/Settings/VAM.CFG" ||
  fail "the first set-up was not written with polling"
echo "ok"
