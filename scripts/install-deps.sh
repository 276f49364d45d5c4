#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test vantile.
# Usage: scripts/install-deps.sh [build|run|test]   (default: test, which is everything)
set -euo pipefail

what=${1:-test}

build_pkgs=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev libgl-dev
  libxcb1-dev libxcb-randr0-dev libxcb-xtest0-dev libxcb-xinput-dev
  libgtest-dev libgmock-dev nlohmann-json3-dev uuid-dev
)
run_pkgs=(xvfb openbox x11-xserver-utils x11-utils x11-apps xterm wmctrl xdotool netpbm desktop-file-utils
  qt6-wayland)
test_pkgs=(xvfb openbox icewm fluxbox i3-wm xfwm4 dbus-daemon x11-xserver-utils x11-utils xterm wmctrl xbindkeys python3 clang-14 libclang-rt-14-dev
  desktop-file-utils
  kwin-wayland qt6-wayland dbus-bin gtk-layer-shell-examples python3-dbus python3-gi
  libkf5screen-bin qtwayland5 plasma-wayland-protocols libwayland-dev)

case "$what" in
  build) pkgs=("${build_pkgs[@]}") ;;
  run) pkgs=("${build_pkgs[@]}" "${run_pkgs[@]}") ;;
  test) pkgs=("${build_pkgs[@]}" "${test_pkgs[@]}") ;;
  *) echo "usage: $0 [build|run|test]" >&2; exit 2 ;;
esac

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
