#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
cd build
exec ctest --output-on-failure -j2 "$@"
