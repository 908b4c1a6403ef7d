#!/usr/bin/env bash
# Installs what is missing, builds Marvik, then starts it ("run") or runs
# every test ("test"). Works on a fresh Debian 12 machine.
set -euo pipefail

mode=${1:-run}
here=$(cd "$(dirname "$0")/.." && pwd)

usage="usage: bash tools/setup.sh [run|test]
  run   install what is missing, build, start Marvik in run/ (the default)
  test  install what is missing, build, run every test"
case "$mode" in
  run|test) ;;
  -h|--help) echo "$usage"; exit 0 ;;
  *) echo "$usage" >&2; exit 2 ;;
esac

packages=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
          libqt6svg6 libsqlite3-dev libzip-dev zlib1g-dev console-data fonts-dejavu-core
          xvfb xauth sqlite3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Some packages are missing: ${missing[*]}"
    if command -v sudo >/dev/null 2>&1; then
      echo "Run this, then run this script again:"
      echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}"
    else
      echo "Run this script as root (for example: su -c 'bash tools/setup.sh $mode'),"
      echo "or ask your administrator to install them."
    fi
    exit 1
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$here/build" -j"$(nproc)"

case "$mode" in
  run)
    # Marvik keeps its files (MARVIK.db, MARVIK.INI, TEMP, WORK) in the folder
    # it is started from; this script uses run/ beside the sources.
    mkdir -p "$here/run"
    cd "$here/run"
    # Qt warns at start-up when the session gives it no runtime folder.
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
      export XDG_RUNTIME_DIR="/tmp/runtime-$(id -u)"
      mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    fi
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      exec xvfb-run -a "$here/build/bin/marvik"
    fi
    exec "$here/build/bin/marvik"
    ;;
  test)
    ctest --test-dir "$here/build" --output-on-failure -j"$(nproc)"
    ;;
esac
