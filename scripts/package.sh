#!/usr/bin/env bash
# Builds VAM (Release) and makes its Debian package, vam_<version>_amd64.deb,
# in the build folder: install with `apt install ./build/vam_*.deb`.
# Depends is worked out from the shared libraries the programs link
# (dpkg-shlibdeps, from dpkg-dev, which scripts/deps.sh installs).
#
# Usage: scripts/package.sh [BUILD_DIR]    (build/ by default, as scripts/build.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

if [ "$build" = build ]; then
  scripts/build.sh
else
  if [ ! -f "$build/CMakeCache.txt" ]; then
    generator=()
    if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
    cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release
  fi
  cmake --build "$build" -j2
fi

# A package of a debug build would ship slow, unoptimised programs.
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
if [ "$type" != Release ]; then
  echo "package: $build is a '$type' build; configure it with -DCMAKE_BUILD_TYPE=Release" >&2
  exit 1
fi
for tool in dpkg-shlibdeps file; do
  command -v "$tool" >/dev/null || { echo "package: $tool is missing: run scripts/deps.sh" >&2; exit 1; }
done

cd "$build"
cpack -G DEB
deb=$(ls -t vam_*_amd64.deb | head -n 1)
echo "package: $PWD/$deb"
dpkg-deb --field "$deb" Package Version Depends
