#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev
  qt6-base-dev qt6-serialport-dev qt6-httpserver-dev qt6-websockets-dev libgl-dev
  libopencv-dev libturbojpeg0-dev
  libxtst-dev libx11-dev libxrandr-dev libevdev-dev
  liblo-dev liblo-tools libsystemd-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-zenhei
  xvfb xauth xdotool x11-apps x11-utils imagemagick
  python3 python3-tk python3-serial python3-prometheus-client python3-websockets
  socat ffmpeg iproute2 gstreamer1.0-plugins-base chromium
  dpkg-dev file help2man desktop-file-utils systemd
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo_cmd=(sudo)
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
