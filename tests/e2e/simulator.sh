# Sourced by the e2e scripts that run vam-metersim (called with the simulator
# and vam-cli as $1 and $2): a work folder, the simulators started, and a
# cleanup that ends every one of them and removes the folder.
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
start_sim() { # name, simulator options... -> sets $port to the pty path
  local name="$1"; shift
  "$sim" "$@" --ignore-stdin > "$work/sim.$name.out" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/sim.$name.out" ] && break; sleep 0.05; done
  port="$(head -n 1 "$work/sim.$name.out")"
}
