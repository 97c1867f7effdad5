#!/usr/bin/env bash
# The test command: installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test, then runs the end-to-end tests
# again under ThreadSanitizer: zev-sim is the threaded program (umockdev's worker
# thread serves the device nodes while the main thread runs control commands).
# Last it builds the main job's programs and the benchmarks in the optimised
# configuration they use, so warnings that only optimisation brings out stop the run
# here.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset debug
cmake --build --preset debug
ctest --preset debug -j2 "$@"
cmake --preset tsan
cmake --build --preset tsan --target e2e_tests
ctest --preset tsan -j2 -L e2e "$@"
cmake --preset release
cmake --build --preset release --target zev-sim ZEVLibDnTest zevutil zev-identify benchmarks
