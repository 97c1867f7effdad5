#!/usr/bin/env bash
# The test command: installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset debug
cmake --build --preset debug
ctest --preset debug -j2 "$@"
