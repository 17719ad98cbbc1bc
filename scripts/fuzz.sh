#!/usr/bin/env bash
# Builds the parser fuzzer with clang and runs it (default 60 s; FUZZ_SECONDS
# changes that). Not part of the test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
seconds="${FUZZ_SECONDS:-60}"
if [ ! -f build-fuzz/CMakeCache.txt ]; then
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DVAM_FUZZ=ON -DVAM_BUILD_TESTS=OFF -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
cmake --build build-fuzz -j2 --target fuzz_parsers
mkdir -p build-fuzz/corpus
exec build-fuzz/fuzz/fuzz_parsers -max_total_time="$seconds" -max_len=4096 -timeout=10 build-fuzz/corpus "$@"
