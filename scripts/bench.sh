#!/usr/bin/env bash
# Builds the benchmarks (target "benchmarks" in build/) and runs each one.
# Every benchmark prints one result per line, beside the reference measured in
# the same run: loading a data file (plain line reader, pandas.read_csv),
# exporting it as CSV (pandas read_csv + to_csv), and receiving a logger print
# over a pseudo-terminal. The pandas references need python3-pandas; system
# calls are counted when strace is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh --target benchmarks
for b in build/bench/bench_*; do
  # Only the programs: the build also leaves bench_*_autogen folders here.
  if [ -f "$b" ] && [ -x "$b" ]; then
    "$b"
  fi
done
