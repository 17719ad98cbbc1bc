#!/usr/bin/env bash
# Installs what is missing, builds, checks that deps.sh brings every package
# the build used, and runs every test. Ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
# A package the build found but deps.sh does not install breaks a fresh machine.
scripts/check-deps.sh build
cd build
exec ctest --output-on-failure -j2 "$@"
