#!/usr/bin/env bash
# Set-up, build, run and test, in one place.
#   tools/project.sh run    install what is missing, build, start the virtual AT device and the terminal
#   tools/project.sh test   install what is missing, build, run every test
#   tools/project.sh build  install what is missing and build (Release, in build/)
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
build=${KIVERN_BUILD_DIR:-$top/build}

# Debian packages the build, the tests and the screenshots need.
packages=(build-essential cmake pkg-config qt6-base-dev libjsoncpp-dev libudev-dev libboost-dev
  liblua5.4-dev liblua5.4-0 python3-serial qt6-tools-dev qt6-l10n-tools
  ser2net socat lrzsz libgtest-dev googletest fonts-arphic-uming fonts-inconsolata fonts-liberation2
  fonts-dejavu-core qt6-translations-l10n xvfb x11-apps imagemagick
  desktop-file-utils appstream man-db groff-base file dpkg-dev python3)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build() {
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKIVERN_TESTS=ON >/dev/null
  cmake --build "$build" -j"$(nproc)"
}

case "${1:-}" in
  build)
    install_missing
    build
    ;;
  run)
    install_missing
    build
    # A virtual AT device, so that there is a port to open; it goes away with the terminal.
    "$build/tools/kivern-vdev" &
    vdev=$!
    trap 'kill $vdev 2>/dev/null || true' EXIT
    sleep 0.5
    "$build/kivern"
    ;;
  test)
    install_missing
    build
    cd "$build"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 300
    # The same tests under AddressSanitizer and UndefinedBehaviorSanitizer, and the threaded
    # ones under ThreadSanitizer.
    "$top/tools/sanitize.sh"
    ;;
  *)
    echo "usage: tools/project.sh run|test|build" >&2
    exit 2
    ;;
esac
