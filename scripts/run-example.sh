#!/bin/sh
# Sets everything up, builds mokuji and runs it on the example folder.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup-debian.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$(nproc 2>/dev/null || echo 2)" --target mokuji-inspect
build/release/tools/inspect/mokuji-inspect examples/questionnaires/*.xls
