#!/usr/bin/env bash
# Sets up, builds and starts the program. With --emulator the programmer emulator stands in
# for the hardware: by default a 1 MiB W25Q80DV flash chip (JEDEC EF4014) of 0xFF, which the
# chip database knows, so detection finds it; the PYROLAN_EMU_* settings of
# tests/emulator/README.md change it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# A parallel level the user set wins over one job per processor.
jobs="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
cmake --build build -j"$jobs"
if [ "${1:-}" = "--emulator" ]; then
  export LD_LIBRARY_PATH="$PWD/build/tests/emulator${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
  export PYROLAN_EMU_JEDEC="${PYROLAN_EMU_JEDEC:-EF4014}"
  export PYROLAN_EMU_CHIP_SIZE="${PYROLAN_EMU_CHIP_SIZE:-0x100000}"
fi
exec build/bin/Pyrolan
