#!/usr/bin/env bash
# Builds the benchmarks (target "benchmarks" in build/) and runs each one.
# Every benchmark prints one result per line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh --target benchmarks
for b in build/bench/bench_*; do
  if [ -x "$b" ]; then
    "$b"
  fi
done
