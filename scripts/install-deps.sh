#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libusb-1.0-0-dev          # real adapters
  umockdev libumockdev-dev libglib2.0-dev  # zev-sim's virtual USB devices
  libgtest-dev libgmock-dev libbenchmark-dev
  imagemagick               # the reference decoder of the picture tests
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y --no-install-recommends "${missing[@]}" </dev/null ||
  { $sudo apt-get update </dev/null && $sudo apt-get install -y --no-install-recommends "${missing[@]}" </dev/null; }
