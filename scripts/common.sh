# Shared by the set-up scripts: package installation and the build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Build and run-time packages (Debian 12).
BUILD_PACKAGES=(build-essential cmake ninja-build ccache pkg-config
                qt6-base-dev qt6-serialport-dev qcoro-qt6-dev libzip-dev
                libgl1-mesa-dev qt6-qpa-plugins)
# Real peers the tests check our files and PDUs against.
TEST_PACKAGES=(python3 python3-gammu python3-xlrd libreoffice-calc-nogui python3-vobject python3-icalendar)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# configure_and_build BUILD_DIR [cmake options...] -- [targets...]
configure_and_build() {
  local dir="$1"; shift
  local opts=() targets=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do opts+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  targets=("$@")
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja "${opts[@]}"
  fi
  if [ ${#targets[@]} -gt 0 ]; then
    cmake --build "$dir" --target "${targets[@]}"
  else
    cmake --build "$dir"
  fi
}
