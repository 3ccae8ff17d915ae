#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need (only the missing ones).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libusb-dev libudev-dev libicu-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang clang-format libclang-rt-dev
  srecord binutils
  fonts-wqy-microhei xvfb xauth
  poppler-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
