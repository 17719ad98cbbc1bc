#!/usr/bin/env bash
# vam-cli log when things go wrong: a meter that never answers, a line that
# drops while logging, a port that is not there. Each is said once and ends
# with a non-zero status; what was logged stays, closed by its stop record.
set -euo pipefail
source "$(dirname "$0")/simulator.sh" "$@"
fail() { echo "FAIL: $*"; exit 1; }

# A silent meter: the run says so and does not pass for a success.
start_sim silent --model H264 --silent
status=0
"$cli" log --model H264 --port "$port" --duration 9 > "$work/silent.out" 2> "$work/silent.err" || status=$?
cat "$work/silent.err"
[ "$status" -ne 0 ] || fail "a silent meter exits 0"
grep -q "No answer from the H264 on $port" "$work/silent.err" || fail "no word about the silent meter"
grep -q "did not answer" "$work/silent.err" || fail "the end does not say the meter did not answer"
[ ! -s "$work/silent.out" ] || fail "readings printed from a silent meter"

# The line drops after three readings: they stay, and the stop record closes the run.
start_sim drop --model H264 --drop-after 3
status=0
"$cli" log --model H264 --port "$port" --duration 20 --out "$work/drop.vam" > "$work/drop.out" 2> "$work/drop.err" || status=$?
cat "$work/drop.err"
[ "$status" -ne 0 ] || fail "a dropped line exits 0"
records=$(grep -c "^'[0-9]" "$work/drop.vam" || true)
[ "$records" -eq 4 ] || fail "expected 3 readings and the stop record, found $records records"
tail -n 1 "$work/drop.vam" | tr -d '\r' | grep -q ",'Stop'$" || fail "the data file does not end with the stop record"
[ "$(wc -l < "$work/drop.err")" -eq 1 ] || fail "the dropped line is not said exactly once"

# A port that is not there: one message, not two.
status=0
"$cli" log --model H264 --port "$work/no-such-port" --duration 2 > /dev/null 2> "$work/missing.err" || status=$?
cat "$work/missing.err"
[ "$status" -ne 0 ] || fail "a missing port exits 0"
[ "$(wc -l < "$work/missing.err")" -eq 1 ] || fail "a missing port gives $(wc -l < "$work/missing.err") messages"
grep -q "No such file or directory" "$work/missing.err" || fail "the reason is not given"
echo "ok"
