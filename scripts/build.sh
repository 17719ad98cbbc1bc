#!/usr/bin/env bash
# Configures (Release) and builds into build/, with ccache when present.
set -euo pipefail
cd "$(dirname "$0")/.."

generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
  # Paths relative to the checkout: other build folders and clones share the cache.
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
fi

if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}"
fi
cmake --build build -j2 "$@"
