#!/usr/bin/env bash
# Sets up, builds and starts the program. With --emulator the programmer emulator stands in
# for the hardware (see tests/emulator/README.md for its PYROLAN_EMU_* settings).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
if [ "${1:-}" = "--emulator" ]; then
  export LD_LIBRARY_PATH="$PWD/build/tests/emulator${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
fi
exec build/bin/Pyrolan
