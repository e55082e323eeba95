#!/usr/bin/env bash
# Installs what building, running and testing the widget need on a Debian machine.
# Idempotent and quiet: packages already present are not touched, apt lists are
# refreshed only when something is missing. Groups: native, windows, wine, tools.
set -euo pipefail

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(native windows wine)

pkgs_native=(cmake g++ make pkg-config libpng-dev libjpeg-dev zlib1g-dev libmpg123-dev googletest libgtest-dev file)
pkgs_windows=(g++-mingw-w64-i686 libz-mingw-w64-dev dpkg-dev autoconf automake libtool nasm cmake make)
pkgs_wine=(wine wine32:i386 python3 xvfb xdotool x11-utils imagemagick fonts-arphic-ukai fonts-arphic-uming fonts-wqy-microhei sox libsox-fmt-all alsa-utils libasound2-plugins:i386)
pkgs_tools=(librsvg2-bin lame clang libclang-rt-14-dev)

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

want=()
for g in "${groups[@]}"; do
  v="pkgs_${g}[@]"
  want+=("${!v}")
done

need_i386=0
for p in "${want[@]}"; do [[ "$p" == *:i386 ]] && need_i386=1; done
if [ "$need_i386" -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  rm -f /tmp/.widget_apt_updated
fi

# Source packages are fetched with apt-get source for the Windows libraries.
if [[ " ${groups[*]} " == *" windows "* ]] && ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ /etc/apt/sources.list 2>/dev/null; then
  $SUDO tee /etc/apt/sources.list.d/widget-deb-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  rm -f /tmp/.widget_apt_updated
fi

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ] || { [[ " ${groups[*]} " == *" windows "* ]] && [ ! -f /tmp/.widget_apt_updated ]; }; then
  if [ ! -f /tmp/.widget_apt_updated ]; then
    $SUDO apt-get update -qq >/dev/null
    touch /tmp/.widget_apt_updated
  fi
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
