#!/usr/bin/env bash
# Builds the benchmarks (target "benchmarks" in build/) and runs each one.
# Every benchmark prints one result per line, beside the reference measured in
# the same run: loading a data file (plain line reader, pandas.read_csv),
# exporting it as CSV and as an Excel workbook (pandas read_csv + to_csv, and
# to_excel through openpyxl), receiving a logger print over a pseudo-terminal,
# and publishing readings to a Mosquitto broker beside logging them to the
# file alone (CPU per 1,000 readings). The pandas references need
# python3-pandas and python3-openpyxl; system calls are counted when strace is
# installed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh --target benchmarks
for b in build/bench/bench_*; do
  # Only the programs: the build also leaves bench_*_autogen folders here.
  if [ -f "$b" ] && [ -x "$b" ]; then
    "$b"
  fi
done
