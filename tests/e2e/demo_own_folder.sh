#!/usr/bin/env bash
# scripts/demo.sh on a fresh home folder, as the README's first command runs:
# it logs into a data folder of its own and never into the user's data files,
# and Ctrl+C (SIGINT to its process group) ends it without leaving anything
# running.
set -euo pipefail
repo="$1"
home="$(mktemp -d)"
cleanup() {
  [ -n "${pgid:-}" ] && kill -KILL -- "-$pgid" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Someone's own data file, which the demo must leave alone.
mkdir -p "$home/Documents/Velmark/VAM/Data"
printf "'K231'\r\n" > "$home/Documents/Velmark/VAM/Data/Untitled.vam"
before="$(md5sum < "$home/Documents/Velmark/VAM/Data/Untitled.vam")"

env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/.config" \
  setsid bash "$repo/scripts/demo.sh" > "$home/demo.log" 2>&1 &
pgid=$!
demo="$home/Documents/Velmark/VAM/Demo/demo-H264.vam"
for _ in $(seq 900); do # a first build of the programs may come first
  [ -f "$demo" ] && [ "$(grep -c "^'[0-9]" "$demo" || true)" -ge 3 ] && break
  sleep 0.1
done
kill -INT -- "-$pgid" 2>/dev/null || true
for _ in $(seq 100); do kill -0 -- "-$pgid" 2>/dev/null || break; sleep 0.1; done
cat "$home/demo.log"
kill -0 -- "-$pgid" 2>/dev/null && fail "Ctrl+C left the demo running"
pgid=""
[ -f "$demo" ] || fail "no data file in the demo's own folder"
records=$(grep -c "^'[0-9]" "$demo" || true)
[ "$records" -ge 3 ] || fail "only $records records in $demo"
[ "$(md5sum < "$home/Documents/Velmark/VAM/Data/Untitled.vam")" = "$before" ] || fail "the user's own data file changed"
[ "$(find "$home/Documents/Velmark/VAM/Data" -type f | wc -l)" -eq 1 ] || fail "the demo wrote into the user's data folder"
echo "ok: $records records in $demo"
