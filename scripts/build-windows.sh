#!/bin/sh
# Builds mokuji.exe for 64-bit Windows with mingw-w64 (Debian 12; installs
# the toolchain with apt-get). The program stands alone: copy it anywhere
# and start it, or give it a folder on its command line.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup-windows.sh
cmake -S . -B build/windows-release -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
      -DCMAKE_BUILD_TYPE=Release -DMOKUJI_BUILD_TESTS=OFF -DMOKUJI_BUILD_BENCH=OFF
cmake --build build/windows-release -j "$(nproc 2>/dev/null || echo 2)" --target mokuji
x86_64-w64-mingw32-strip build/windows-release/src/app/mokuji.exe
echo "built $(pwd)/build/windows-release/src/app/mokuji.exe"
