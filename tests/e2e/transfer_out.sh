#!/usr/bin/env bash
# vam-cli transfer --out into a file that exists: the capture is appended and
# the size the file had is told first, so a second run is no silent double;
# --new refuses the file before the port is opened.
set -euo pipefail
source "$(dirname "$0")/simulator.sh" "$@"
fail() { echo "$1"; shift; for f in "$@"; do echo "--- $f"; cat "$f"; done; exit 1; }

capture() { # out-file err-file [options]: one transfer from a fresh simulator, the same short print each time
  start_sim k232 --model K232 --dump 20 --dump-now --seed 3
  "$cli" transfer --port "$port" --out "$1" --idle-exit 1 "${@:3}" 2> "$2"
}

out="$work/capture.txt"
capture "$out" "$work/first.err"
first=$(wc -c < "$out")
[ "$first" -gt 0 ] || fail "nothing captured" "$work/first.err"
grep -q "appending" "$work/first.err" && fail "a new file was said to be appended to" "$work/first.err"

capture "$out" "$work/second.err"
grep -qF "vam-cli transfer: appending to '$out' ($first bytes already in it)" "$work/second.err" \
  || fail "the second run did not say it appends" "$work/second.err"
[ "$(wc -c < "$out")" -eq $((2 * first)) ] || fail "the second capture was not appended"

# --new: refused at once, the file untouched; no port is needed to get there.
cp "$out" "$work/before"
rc=0
"$cli" transfer --port "$work/no-such-port" --out "$out" --new 2> "$work/new.err" || rc=$?
[ "$rc" -eq 1 ] || fail "--new on an existing file ended with $rc" "$work/new.err"
[ "$(cat "$work/new.err")" = "vam-cli transfer: '$out' already exists; with --new only a new file is written" ] \
  || fail "--new said more or other than its refusal" "$work/new.err"
cmp -s "$out" "$work/before" || fail "--new changed the existing file"

# --new on a name not taken captures as ever.
capture "$work/fresh.txt" "$work/fresh.err" --new
[ "$(wc -c < "$work/fresh.txt")" -eq "$first" ] || fail "--new did not capture into a new file" "$work/fresh.err"
echo "transfer --out: appends with its size told; --new refuses an existing file"
