#!/bin/sh
# Builds mokuji.exe for 64-bit Windows with mingw-w64, and its installer
# with NSIS (Debian 12; installs the toolchain with apt-get). The program
# stands alone: copy it anywhere and start it, or give it a folder on its
# command line; or install it for the user with mokuji-<version>-setup.exe.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup-windows.sh
cmake -S . -B build/windows-release -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
      -DCMAKE_BUILD_TYPE=Release -DMOKUJI_BUILD_TESTS=OFF -DMOKUJI_BUILD_BENCH=OFF
cmake --build build/windows-release -j "$(nproc 2>/dev/null || echo 2)" --target mokuji installer
x86_64-w64-mingw32-strip build/windows-release/src/app/mokuji.exe
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows-release/CMakeCache.txt)
echo "built $(pwd)/build/windows-release/src/app/mokuji.exe"
echo "and its installer $(pwd)/build/windows-release/mokuji-$version-setup.exe"
