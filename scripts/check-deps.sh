#!/usr/bin/env bash
# Fails when the configured build used a package that scripts/deps.sh does not
# bring. A package installed by hand on a developer machine builds fine there
# and breaks a fresh one; this check finds it on the machine that has it.
#
# What the build used: every CMake package folder (<Name>_DIR in the cache)
# and every pkg-config module (pkgcfg_lib_*). Each file is mapped to the
# Debian package that owns it; that package must be one deps.sh lists or one
# those pull in through Depends/Pre-Depends (read from dpkg's own database, so
# the check works offline and sees exactly what apt installed).
#
# Usage: scripts/check-deps.sh [BUILD_DIR] [DEPS_SCRIPT]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
deps=${2:-scripts/deps.sh}
cache="$build/CMakeCache.txt"
[ -f "$cache" ] || { echo "check-deps: no $cache (configure first)" >&2; exit 2; }

listed=$(bash "$deps" --list)
[ -n "$listed" ] || { echo "check-deps: $deps --list printed no packages" >&2; exit 2; }

# The closure over Depends and Pre-Depends among installed packages. An
# alternative ("a | b") or a virtual name counts through every installed
# package that satisfies it.
closure=$(
  {
    printf 'ROOT\t%s\n' $listed
    dpkg-query -W -f='PKG\t${Package}\t${Status}\t${Provides}\t${Depends}, ${Pre-Depends}\n'
  } | awk -F'\t' '
    function name(s) { sub(/^[ \t]+/, "", s); sub(/[ \t(:].*$/, "", s); return s }
    $1 == "ROOT" { roots[$2] = 1; next }
    $3 !~ / installed$/ { next }
    {
      pkg = $2; installed[pkg] = 1; provider[pkg] = provider[pkg] " " pkg
      n = split($4, pv, ","); for (i = 1; i <= n; i++) { v = name(pv[i]); if (v != "") provider[v] = provider[v] " " pkg }
      deps[pkg] = $5
    }
    END {
      for (r in roots) if (r in installed) { queue[++qn] = r; seen[r] = 1 }
      for (qi = 1; qi <= qn; qi++) {
        p = queue[qi]; print p
        n = split(deps[p], d, /[,|]/)
        for (i = 1; i <= n; i++) {
          v = name(d[i]); if (v == "") continue
          m = split(provider[v], cands, " ")
          for (j = 1; j <= m; j++) if (!(cands[j] in seen)) { seen[cands[j]] = 1; queue[++qn] = cands[j] }
        }
      }
    }' | sort -u
)

# Files the build relied on: "<CMake package> <folder>" and "- <library>" lines.
used=$(grep -E '^[A-Za-z0-9_]+_DIR:PATH=/' "$cache" | sed -E 's/^([A-Za-z0-9_]+)_DIR:PATH=/\1 /' || true)
used="$used
$(grep -oE '^pkgcfg_lib_[A-Za-z0-9_]+:FILEPATH=/[^ ]+' "$cache" | sed -E 's/^[^=]*=/- /' || true)"

owner() {
  local name=$1 f=$2 probe="" p out
  if [ -d "$f" ]; then
    # A CMake package folder: its own Config file names the owner (the folder
    # may also hold plugin files of other packages).
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$name")
    for c in "$f/${name}Config.cmake" "$f/${lower}-config.cmake"; do
      if [ -f "$c" ]; then probe=$c; break; fi
    done
  else
    probe=$f
  fi
  [ -n "$probe" ] || return 0
  for p in "$probe" "$(readlink -f "$probe")"; do
    out=$(dpkg -S "$p" 2>/dev/null | head -n 1 | cut -d: -f1 | cut -d, -f1) || true
    if [ -n "$out" ]; then echo "$out"; return 0; fi
  done
}

missing=0
checked=0
while read -r name f; do
  [ -n "$f" ] && [ -e "$f" ] || continue
  pkg=$(owner "$name" "$f")
  [ -n "$pkg" ] || continue
  checked=$((checked + 1))
  if ! grep -qxF "$pkg" <<<"$closure"; then
    echo "check-deps: the build uses $pkg (it owns $f), but $deps does not install it: add it there" >&2
    missing=$((missing + 1))
  fi
done <<<"$used"
if [ "$missing" -gt 0 ]; then exit 1; fi
echo "check-deps: all $checked packages the build used come with $deps"
