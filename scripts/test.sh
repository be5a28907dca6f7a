#!/usr/bin/env bash
# Builds Tolvane warning-free and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DTOLVANE_WERROR=ON
cmake --build build
ctest --test-dir build --output-on-failure -j2
