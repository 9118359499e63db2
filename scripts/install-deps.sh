#!/usr/bin/env bash
# Installs the Debian 12 packages Tunora needs to build, run and test, when any is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config file
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
  libmpv-dev libxcb1-dev libavformat-dev libavcodec-dev libavutil-dev
  libgtest-dev libgmock-dev
  fonts-wqy-microhei
)
if [ "${1:-}" = "--test" ]; then
  packages+=(xvfb xdotool x11-utils imagemagick lame mpg123 sox libsox-fmt-mp3 trayer python3 ffmpeg clang libclang-rt-14-dev
    desktop-file-utils appstream dbus-daemon at-spi2-core python3-pyatspi playerctl weston qt6-wayland)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update
"${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
