#!/usr/bin/env bash
# Installs every Debian package that building, testing and the demo need,
# when missing. Runs apt-get update at most once; uses sudo when not root.
# "--list" only prints the package names (scripts/check-deps.sh reads them).
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqcustomplot-dev
  libzip-dev libxlsxwriter-dev
  libmosquitto-dev mosquitto
  googletest libgtest-dev clang libclang-rt-14-dev
  qt6-qpa-plugins fonts-dejavu-core
  xvfb xauth x11-apps imagemagick poppler-utils xdotool xclip
  strace python3-pandas python3-openpyxl
  dpkg-dev file desktop-file-utils unzip appstream lintian
)

if [ "${1:-}" = "--list" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo_cmd=(sudo)
  else
    echo "deps: missing packages (${missing[*]}) and neither root nor sudo available" >&2
    exit 1
  fi
fi

echo "deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
# The mosquitto package starts a broker of the system's own where services
# run; the tests and benchmarks start theirs on a free port and need none.
