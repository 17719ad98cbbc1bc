#!/usr/bin/env bash
# Builds one libFuzzer target with clang and runs it (default 60 s; FUZZ_SECONDS
# changes that). Not part of the test suite.
#
#   scripts/fuzz.sh [TARGET] [libFuzzer options...]
#
# TARGET is one of fuzz_parsers (the default), fuzz_rtf, fuzz_config,
# fuzz_datafile, fuzz_protocol. The run starts from the seeds in
# fuzz/corpus/TARGET and keeps what it learns in build-fuzz/corpus/TARGET;
# a crash, leak or hang is written to build-fuzz/artifacts/TARGET/.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(fuzz_parsers fuzz_rtf fuzz_config fuzz_datafile fuzz_protocol)
target=fuzz_parsers
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
  target="$1"
  shift
fi
if ! printf '%s\n' "${targets[@]}" | grep -qx -- "$target"; then
  echo "fuzz: unknown target '$target' (one of: ${targets[*]})" >&2
  exit 2
fi

scripts/deps.sh
seconds="${FUZZ_SECONDS:-60}"
if [ ! -f build-fuzz/CMakeCache.txt ]; then
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DVAM_FUZZ=ON -DVAM_BUILD_TESTS=OFF -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
cmake --build build-fuzz -j2 --target "$target"

corpus="build-fuzz/corpus/$target"
artifacts="build-fuzz/artifacts/$target"
mkdir -p "$corpus" "$artifacts"
seeds=()
if [ -d "fuzz/corpus/$target" ]; then
  seeds=("fuzz/corpus/$target")
fi
options=()
case "$target" in
  # A loaded megabyte of records needs well under 200 MB of table at once:
  # a single allocation beyond 256 MB is a fault, not a large file.
  fuzz_datafile) options=(-malloc_limit_mb=256) ;;
esac
# One fuzzing process (the machine is shared: no -jobs, which would fork and
# log to fuzz-N.log); an input that takes more than 10 s counts as a hang,
# more than 2 GiB as running out of memory.
exec "build-fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$artifacts/" "${options[@]}" "$corpus" "${seeds[@]}" "$@"
