#!/usr/bin/env bash
# Installs the Debian packages Fegolin needs to build, run and test, or the
# packages named as arguments instead. Does nothing (and needs no network)
# when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang-format git
  libsqlite3-dev libgtest-dev libjpeg-dev libsimpleini-dev
  qt6-base-dev libgl-dev libxkbcommon-dev libqt6svg6 qt6-tools-dev qt6-l10n-tools
  xvfb xauth trayer xdotool x11-utils imagemagick libx11-dev openbox
  dbus-daemon weston qt6-wayland
  appstream desktop-file-utils dpkg-dev file libglib2.0-bin groff-base man-db
)
if (($#)); then
  packages=("$@")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
