#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian machine. Idempotent: packages already
# present are left alone, so a warm machine spends no time here.
set -euo pipefail

packages=(
    cmake make g++ libgtest-dev libgmock-dev pkg-config   # native build and unit tests
    clang libclang-rt-14-dev                               # fuzz targets (libFuzzer)
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine wine64                                            # the Windows we test on
    xvfb xdotool x11-utils imagemagick                     # display, real input, screenshots
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils  # an X server with two monitors (xrandr)
    python3 python3-pytest python3-pil                     # end-to-end test driver under Wine
    libcairo2-dev                                          # artwork generator
    fonts-dejavu-core                                      # a plain sans face for the artwork
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
