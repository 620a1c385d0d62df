#!/bin/sh
# Sets everything up and runs every test: the format and layering checks,
# the normal build, its Debian package installed and run, the same tests
# under AddressSanitizer and UndefinedBehaviorSanitizer, the Windows
# program, its tests and its installer under Wine, then the fuzz targets.
# Each leg's wall time is printed as it ends and again at the end.
set -eu
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)
export TZ=Asia/Tokyo

costs=""
leg() {
    name=$1
    shift
    begun=$(date +%s)
    "$@"
    took=$(($(date +%s) - begun))
    echo "== $name: ${took} s" >&2
    costs="$costs$(printf '%-28s %5d s' "$name" "$took")
"
}

release() {
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOKUJI_WERROR=ON
    cmake --build build/release -j "$jobs"
}
release_tests() {
    ctest --test-dir build/release --output-on-failure -j "$jobs" --timeout 300
}
sanitize() {
    cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMOKUJI_WERROR=ON \
          -DMOKUJI_SANITIZE=ON -DMOKUJI_BUILD_BENCH=OFF
    cmake --build build/sanitize -j "$jobs"
}
sanitize_tests() {
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        LSAN_OPTIONS="suppressions=$(pwd)/tests/sanitizer/lsan.supp" \
        ctest --test-dir build/sanitize --output-on-failure -j "$jobs" --timeout 600
}

checks() {
    ./scripts/check-format.sh
    ./scripts/check-layering.py
}

leg "setup" ./scripts/setup-debian.sh
# Seconds, before anything is built: every source as clang-format lays it
# out, and no include pointing up the folders' order.
leg "format and layering" checks
leg "release build" release
leg "release tests" release_tests
# The Debian package, installed on this machine, run from PATH and purged.
leg "Debian package" ./scripts/test-package.sh
leg "sanitizer build" sanitize
leg "sanitizer tests" sanitize_tests
# mokuji.exe, cross-compiled, with its tests under Wine; its lists are
# checked by the release build's readers.
leg "Windows build and Wine tests" ./scripts/test-windows.sh
# The engine's readers under libFuzzer, each for a minute from the seed
# workbooks; a finding fails the run and names its input.
leg "fuzzing" env FUZZ_SECONDS="${FUZZ_SECONDS:-60}" ./scripts/fuzz.sh build/fuzz

echo "== every leg passed; what each cost:" >&2
printf '%s' "$costs" >&2
