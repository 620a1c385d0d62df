#!/bin/sh
# Sets everything up, builds mokuji, runs it on the example folder and says
# where the list file was written.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup-debian.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$(nproc 2>/dev/null || echo 2)" --target mokuji

# A machine without a desktop has nothing to open the list with, so "true"
# stands in for the desktop's opener unless MOKUJI_OPENER names one
# (MOKUJI_OPENER=xdg-open opens the list in the spreadsheet program).
MOKUJI_OPENER="${MOKUJI_OPENER:-true}" build/release/src/app/mokuji examples/questionnaires
echo "list file written: $(pwd)/examples/questionnaires/00_目次.xls"
