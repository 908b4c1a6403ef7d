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

# The build goes into build/ (and a run into run/) beside the sources: say so
# now rather than let CMake fail on a folder it cannot write.
for dir in "$here/build" "$here"; do
  if [ -e "$dir" ]; then
    if [ ! -w "$dir" ]; then
      echo "Cannot write to $dir as $(id -un): the build goes there." >&2
      echo "Copy the sources to a folder of your own (or ask its owner) and run this script there." >&2
      exit 1
    fi
    break
  fi
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
install_line="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y ${missing[*]}"
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    # Only the packages need root; the build stays the user's own.
    echo "Some packages are missing: ${missing[*]}"
    echo "Install them as root, then run this script again as yourself:"
    if command -v sudo >/dev/null 2>&1; then
      echo "  sudo sh -c '$install_line'"
    else
      echo "  su -c '$install_line'"
    fi
    exit 1
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

# Root building in someone else's sources would leave them a build they
# cannot change or remove: install only, and hand the build back to them.
owner=$(stat -c %U "$here")
if [ "$(id -u)" -eq 0 ] && [ "$owner" != root ]; then
  echo "The packages are in place. The sources belong to $owner: run this script again as"
  echo "$owner (not as root), so that the build is theirs:"
  echo "  bash tools/setup.sh $mode"
  exit 1
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
      # A virtual screen no one sees: say how to look at it.
      n=99
      while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
      echo "No display: Marvik runs on the virtual screen :$n, where no one sees its windows."
      echo "To look at it, take a screenshot from another terminal (apt-get install imagemagick):"
      echo "  DISPLAY=:$n import -window root /tmp/marvik.png"
      echo "or start it instead with Qt's VNC platform and point a VNC viewer at port 5900:"
      echo "  cd '$here/run' && QT_QPA_PLATFORM=vnc:size=1280x1024 ../build/bin/marvik"
      exec xvfb-run -n "$n" -s "-screen 0 1280x1024x24" "$here/build/bin/marvik"
    fi
    exec "$here/build/bin/marvik"
    ;;
  test)
    ctest --test-dir "$here/build" --output-on-failure -j"$(nproc)"
    ;;
esac
