#!/usr/bin/env bash
# Builds VAM and starts it. Without a display it runs under a virtual one.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "demo: no display found; running VAM under xvfb-run (a virtual display you cannot see)."
  exec xvfb-run -a -s "-screen 0 1280x800x24" build/app/vam "$@"
fi
exec build/app/vam "$@"
