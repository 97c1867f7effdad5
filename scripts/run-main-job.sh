#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs the console exerciser
# ZEVLibDnTest interactively against a virtual adapter hosted by zev-sim (a rev1 chip
# on the standard board with a 1920x1080 monitor). The exerciser reaches the adapter
# through libzevutil.so and libusb, as it would reach a real one.
#
#   scripts/run-main-job.sh [ZEV-SIM OPTIONS]
#
# Options go to zev-sim, e.g. --monitor-edid tests/data/edid/hp-lp2275w-dp.bin for a
# 1680x1050 monitor, or --adapters 2. Sample pictures for the image menu are written to
# build/main-job/pictures/, and what the virtual monitor shows when the exerciser ends
# to build/main-job/screen.bmp.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release
cmake --build --preset release --target zev-sim ZEVLibDnTest

out=build/main-job
mkdir -p "$out/pictures"
convert=$(command -v convert-im6.q16 || command -v convert-im7.q16 || true)
if [ -n "$convert" ]; then
  for size in 640x480 800x600 1280x1024 1440x900 1680x1050 1920x1080; do
    picture="$out/pictures/picture-$size.bmp"
    [ -f "$picture" ] || "$convert" -size "$size" gradient:navy-gold -type TrueColor "BMP3:$picture"
  done
fi

sim=build/release/sim/host/zev-sim
exerciser=build/release/ZEVLibDynamicLoadTest/ZEVLibDnTest/ZEVLibDnTest
cat <<TEXT

ZEVLibDnTest on a virtual ZEV adapter. Type a menu number and Enter at each prompt
(6 leaves the main menu). For the image menu's picture drawing, give a 24-bit BMP of
the mode's size, e.g. $PWD/$out/pictures/picture-640x480.bmp.

TEXT
# After the exerciser: what the monitor shows then (or why nothing), as a BMP.
exec "$sim" "$@" -- sh -c '"$0"; status=$?; echo; "$1" ctl capture "$2"; exit $status' \
  "$exerciser" "$PWD/$sim" "$PWD/$out/screen.bmp"
