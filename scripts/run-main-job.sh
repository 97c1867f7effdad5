#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs the adapter identity
# program against a virtual adapter hosted by zev-sim (through libusb, as a real
# adapter would be reached).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
exec build/release/sim/host/zev-sim --adapters 1 -- build/release/tools/zev-identify/zev-identify
