#!/usr/bin/env bash
# Installs the Debian 12 packages the Windows build and its tests under Wine need, when any is missing.
set -euo pipefail

packages=(
  cmake ninja-build pkgconf xz-utils zip unzip file
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  googletest
)
if [ "${1:-}" = "--test" ]; then
  # fonts-wine: Wine's own Tahoma and Marlett, which it draws window frames with;
  # fonts-wqy-microhei: a font with the CJK glyphs, copied into the Wine prefix.
  packages+=(wine64 wine fonts-wine fonts-wqy-microhei xvfb xdotool x11-utils imagemagick ffmpeg python3)
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
