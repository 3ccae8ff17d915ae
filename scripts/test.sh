#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# A parallel level the user set wins over one job per processor.
jobs="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
