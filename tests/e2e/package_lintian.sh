#!/usr/bin/env bash
# The Debian package as Debian's checker sees it: made with `cpack -G DEB` as
# scripts/package.sh makes it, but into a scratch folder, then lintian on the
# .deb. An error or a warning fails; info tags are printed and pass.
#
# Usage: package_lintian.sh BUILD_DIR VERSION [CPACK]
set -uo pipefail
build="$1"; version="$2"; cpack="${3:-cpack}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

command -v lintian >/dev/null || { echo "lintian is missing (scripts/deps.sh installs it)"; exit 1; }
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "cpack failed"
  exit 1
fi
debs=("$work"/vam_"$version"_*.deb)
[ -f "${debs[0]}" ] || { echo "cpack made no vam_${version}_*.deb: $(ls "$work")"; exit 1; }

rc=0
lintian --display-info --fail-on error,warning "${debs[0]}" > "$work/lintian.log" 2>&1 || rc=$?
cat "$work/lintian.log"
if [ "$rc" -ne 0 ] || grep -qE '^[EW]: ' "$work/lintian.log"; then
  echo "lintian found errors or warnings in $(basename "${debs[0]}") (exit $rc)"
  exit 1
fi
echo "lintian: $(basename "${debs[0]}") has no errors or warnings"
