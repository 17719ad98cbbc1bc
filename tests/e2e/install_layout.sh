#!/usr/bin/env bash
# VAM installed the way its Debian package lays it out: `cmake --install`
# with the prefix /usr into a staging folder (DESTDIR). The installed programs
# run from there; the menu entry, software-centre entry, file type, icons, man
# pages, changelog and help archives are where a desktop looks for them, and
# the installed vam unpacks its help from share/vam. Every check runs; the
# failures are listed at the end.
#
# Usage: install_layout.sh BUILD_DIR VERSION [CMAKE]
set -uo pipefail
build="$1"; version="$2"; cmake="${3:-cmake}"
work="$(mktemp -d)"
vam_pid=""
cleanup() { [ -z "$vam_pid" ] || kill -9 "$vam_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

failures=()
fail() { failures+=("$*"); echo "FAIL: $*"; }

root="$work/root"
usr="$root/usr"
if ! DESTDIR="$root" "$cmake" --install "$build" --prefix /usr > "$work/install.log" 2>&1; then
  cat "$work/install.log"
  echo "cmake --install failed"
  exit 1
fi

# ------------------------------------------------------------ the programs
for p in vam vam-cli vam-metersim; do
  [ -x "$usr/bin/$p" ] || fail "bin/$p is not installed"
done
# No display: vam answers --version before it needs one.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$usr/bin/vam" --version 2>&1)
[[ "$out" == "vam $version (Qt "* ]] || fail "installed vam --version printed '$out'"
models=$("$usr/bin/vam-cli" models 2>&1)
n=$(grep -c $'^[^\t]*\t[^\t]*\t[0-9]*\t' <<<"$models")
[ "$n" -eq 54 ] || fail "installed vam-cli models listed $n models, not 54"

# ------------------------------------------------------------ the menu entry
# One entry, named by the desktop id that the software-centre entry shares.
desktops=("$usr"/share/applications/*.desktop)
desktop="${desktops[0]}"
app_id=$(basename "$desktop" .desktop)
if [ ${#desktops[@]} -ne 1 ] || [ ! -f "$desktop" ]; then
  fail "share/applications holds ${#desktops[@]} menu entries, not one: ${desktops[*]##*/}"
else
  if ! command -v desktop-file-validate >/dev/null; then
    fail "desktop-file-validate is missing (scripts/deps.sh installs desktop-file-utils)"
  # Hints pass: Education;Science is a hint, and is what puts VAM in the
  # Education menu of desktops that have no Science menu.
  elif ! desktop-file-validate "$desktop" > "$work/validate.log" 2>&1 \
       || grep -qE '(error|warning):' "$work/validate.log"; then
    fail "desktop-file-validate: $(cat "$work/validate.log")"
  fi
  exec_line=$(sed -n 's/^Exec=//p' "$desktop")
  [ -x "$usr/bin/${exec_line%% *}" ] || fail "the menu entry runs '${exec_line%% *}', which is not in bin/"
  [[ "$exec_line" == *" %f" ]] || fail "the menu entry does not pass the data file it opens: Exec=$exec_line"
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  [ "$icon" = vam ] || fail "the menu entry's icon is '$icon', not the installed theme icon 'vam'"
  for type in $(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' '); do
    grep -qs "type=\"$type\"" "$usr"/share/mime/packages/*.xml || fail "no share/mime/packages file defines $type"
  done
fi
mime="$usr/share/mime/packages/vam.xml"
if [ -f "$mime" ]; then
  grep -q '<glob pattern="\*.vam"/>' "$mime" || fail "share/mime/packages/vam.xml does not claim *.vam"
else
  fail "share/mime/packages/vam.xml is not installed"
fi

# ------------------------------------------------------------ the software-centre entry
# appstreamcli checks the file alone (validate) and with the menu entry and
# icon it names (validate-tree). Its only allowed note: the id's domain is
# under .example, a TLD the validator does not know.
metainfo="$usr/share/metainfo/$app_id.metainfo.xml"
if [ ! -f "$metainfo" ]; then
  fail "share/metainfo/$app_id.metainfo.xml is not installed (named by the menu entry's id)"
elif ! command -v appstreamcli >/dev/null; then
  fail "appstreamcli is missing (scripts/deps.sh installs appstream)"
else
  for how in "validate $metainfo" "validate-tree $root"; do
    rc=0
    appstreamcli ${how%% *} --no-net --pedantic "${how#* }" > "$work/appstream.log" 2>&1 || rc=$?
    notes=$(grep -E '^ *[EWIP]: ' "$work/appstream.log" | grep -vE '^ *I: [^ ]+ cid-maybe-not-rdns ')
    if [ "$rc" -ne 0 ] || [ -n "$notes" ]; then
      fail "appstreamcli ${how%% *} (exit $rc): $(cat "$work/appstream.log")"
    fi
  done
  tag() { sed -n "s|.*<$1[^>]*>\([^<]*\)</$1>.*|\1|p" "$metainfo"; }
  [ "$(tag id)" = "$app_id" ] || fail "the metainfo's id is '$(tag id)', not its file's and menu entry's '$app_id'"
  [ "$(tag launchable)" = "$app_id.desktop" ] || fail "the metainfo launches '$(tag launchable)', not $app_id.desktop"
  newest=$(grep -m1 -o '<release version="[^"]*"' "$metainfo" | cut -d'"' -f2)
  [ "$newest" = "$version" ] || fail "the metainfo's newest release is '$newest', not $version"
  for type in $(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' '); do
    tag mediatype | grep -qxF "$type" || fail "the metainfo does not provide the menu entry's type $type"
  done
fi

# ------------------------------------------------------------ changelog
# Debian's own format; a version without a Debian revision is a native
# package, whose changelog is changelog.gz. Its newest entry is this version.
changelog="$usr/share/doc/vam/changelog.gz"
if ! gzip -t "$changelog" 2>/dev/null; then
  fail "share/doc/vam/changelog.gz is not installed or not gzip'd"
else
  head=$(gzip -dc "$changelog" | head -n 1)
  [[ "$head" == "vam ($version) "* ]] || fail "the changelog's newest entry is '$head', not vam ($version)"
fi

# ------------------------------------------------------------ icons
png_size() { # width x height from the PNG header, or nothing for another file
  local head
  head=$(od -An -tx1 -N24 "$1" | tr -d ' \n')
  [ "${head:0:16}" = 89504e470d0a1a0a ] || return 0
  echo "$((16#${head:32:8}))x$((16#${head:40:8}))"
}
for size in 16 22 24 32 48 64 128 256; do
  f="$usr/share/icons/hicolor/${size}x${size}/apps/vam.png"
  if [ ! -f "$f" ]; then
    fail "icon ${size}x${size} is not installed"
  else
    got=$(png_size "$f")
    [ "$got" = "${size}x${size}" ] || fail "icon ${size}x${size}/apps/vam.png is '${got:-not a PNG}'"
  fi
done
grep -qs '<svg' "$usr/share/icons/hicolor/scalable/apps/vam.svg" || fail "the scalable icon is not installed"

# ------------------------------------------------------------ man pages
# Every installed program has a page, and every option its --help names is
# in it: a new option without a line in the page fails here.
man_text() { gzip -dc "$usr/share/man/man1/$1.1.gz" | sed 's/\\-/-/g; s/\\f[BIRP]//g'; }
for f in "$usr"/bin/*; do
  p=$(basename "$f")
  page="$usr/share/man/man1/$p.1.gz"
  if [ ! -f "$page" ]; then
    fail "no man page share/man/man1/$p.1.gz"
    continue
  fi
  gzip -t "$page" 2>/dev/null || { fail "$p.1.gz is not gzip'd"; continue; }
  text=$(man_text "$p")
  grep -qi "^\.TH $p 1 " <<<"$text" || fail "$p.1.gz does not begin its page with .TH ${p^^} 1"
  help=$(QT_QPA_PLATFORM=offscreen "$f" --help 2>&1)
  # Options, vam's cfg= and /comN, and vam-cli's commands (two-space indented words).
  words=$( { grep -oE -- '--[a-z][a-z-]*|cfg=|/com' <<<"$help"; \
             grep -oE '^  [a-z]+ ' <<<"$help" | tr -d ' '; } | sort -u)
  for w in $words; do
    grep -qF -- "$w" <<<"$text" || fail "$p --help names '$w', its man page does not"
  done
done

# ------------------------------------------------------------ help archives
topics=(get_started.htm main_window.htm data_windows.htm settings.htm graph_settings.htm print_window.htm)
for lang in EN FR NL; do
  zip="$usr/share/vam/help$lang.zip"
  if [ ! -f "$zip" ]; then
    fail "share/vam/help$lang.zip is not installed"
    continue
  fi
  if ! entries=$(unzip -Z1 "$zip" 2>&1); then
    fail "help$lang.zip cannot be listed: $entries"
    continue
  fi
  for t in "${topics[@]}"; do
    grep -qxF "help$lang/$t" <<<"$entries" || fail "help$lang.zip lacks help$lang/$t"
  done
  # Nothing may land outside the help folder when it is unpacked.
  unsafe=$(grep -E '^/|^[A-Za-z]:|\\|(^|/)\.\.(/|$)' <<<"$entries")
  [ -z "$unsafe" ] || fail "help$lang.zip holds unsafe paths: $(tr '\n' ' ' <<<"$unsafe")"
done

# ------------------------------------------------------------ the installed vam finds its help
# A first run with a configuration (so no set-up dialog) unpacks the help
# archives into the documents folder; only share/vam holds them here.
if [ -f "$usr/share/vam/helpEN.zip" ]; then
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
  mkdir -p "$HOME/Documents/Velmark/VAM/Settings" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  printf '%s\r\n' "[DEVICE]" "Device = K231" "[LOG]" "ConnectAtStart = 0" > "$work/seed.cfg"
  "$usr/bin/vam-cli" config "$work/seed.cfg" --out "$HOME/Documents/Velmark/VAM/Settings/VAM.CFG" 2>/dev/null
  help="$HOME/Documents/Velmark/VAM/Help"
  QT_QPA_PLATFORM=offscreen "$usr/bin/vam" > "$work/vam.out" 2>&1 &
  vam_pid=$!
  for _ in $(seq 300); do
    [ -f "$help/helpNL/get_started.htm" ] && [ -f "$help/helpFR/get_started.htm" ] && break
    kill -0 "$vam_pid" 2>/dev/null || break
    sleep 0.1
  done
  for lang in EN FR NL; do
    [ -f "$help/help$lang/get_started.htm" ] || fail "the installed vam did not unpack help$lang from share/vam"
  done
  kill -TERM "$vam_pid" 2>/dev/null
  rc=0
  wait "$vam_pid" || rc=$?
  vam_pid=""
  [ "$rc" -eq 0 ] || fail "the installed vam ended with $rc: $(cat "$work/vam.out")"
fi

if [ ${#failures[@]} -gt 0 ]; then
  echo "${#failures[@]} check(s) failed"
  exit 1
fi
echo "installed layout under $usr: programs, menu and software-centre entries, file type, icons, man pages, changelog and help archives"
