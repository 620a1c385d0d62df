#!/bin/sh
# Builds mokuji.exe, its tests and its installer with mingw-w64 and NSIS
# and runs the tests under Wine, on a virtual display, in a Wine prefix made
# for this run alone; then runs the program on folders and checks its lists
# with the Linux build's readers, and installs, runs and uninstalls it.
# Debian 12; installs what it needs with apt-get. Build in build/windows.
set -eu
cd "$(dirname "$0")/.."

now() { date +%s; }
started=$(now)

# --- Setup -------------------------------------------------------------------
./scripts/setup-windows.sh
setup_done=$(now)

# --- Build -------------------------------------------------------------------
jobs="${MOKUJI_JOBS:-$(nproc 2>/dev/null || echo 2)}"
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOKUJI_WERROR=ON -DMOKUJI_BUILD_BENCH=OFF
cmake --build build/windows -j "$jobs"
build_done=$(now)

# --- Wine --------------------------------------------------------------------
wine_home=$(mktemp -d)
export WINEPREFIX="$wine_home/pfx" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
unset DISPLAY WAYLAND_DISPLAY
# The own wineserver of this prefix ends before the prefix is removed.
# shellcheck disable=SC2317  # called by the trap
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$wine_home"
}
trap cleanup EXIT INT TERM
# No Mono or Gecko: nothing here needs .NET or HTML, and asking for them
# would wait on a download.
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
# Wine's virtual desktop gives windows their frames and lets them hide at
# once; without it every hidden window costs the window tests a second. It is
# read when the desktop starts, so it is set before anything else runs.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
wineserver -w
prefix_done=$(now)

# --- Tests -------------------------------------------------------------------
# A persistent wineserver with its helper processes started up front: helpers
# first started by a test would inherit ctest's pipe and keep it open, and
# ctest would wait for them for ever. The window tests need a display: a
# virtual one of their own. A test whose program Wine fails to start (seen
# once in many runs: no output at all, a hundredth of a second) gets one
# more try; a failure of the test itself repeats and fails the run.
log="build/windows/ctest-wine.log"
status=0
# shellcheck disable=SC2016  # the inner shell expands them
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >/dev/null 2>&1
    status=0
    ctest --test-dir build/windows --output-on-failure -j "$2" --timeout 120 \
        --repeat until-pass:2 >"$1" 2>&1 || status=$?
    wineserver -k 2>/dev/null || true
    exit "$status"
' sh "$log" "$jobs" || status=$?
# The program itself, run as a user starts it, its lists checked by the
# Linux build's readers (ours and xlrd) in a test of that build: once with
# its window on the virtual display, otherwise reporting on standard error.
e2e="build/release/tests/e2e/test_e2e_windows"
if [ -x "$e2e" ]; then
    # shellcheck disable=SC2016  # the inner shell expands them
    MOKUJI_WINDOWS_PROGRAM="$PWD/build/windows/src/app/mokuji.exe" \
    MOKUJI_WINDOWS_OPENER="$PWD/build/windows/tests/e2e/record_opened.exe" \
    xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
        wineserver -p </dev/null >/dev/null 2>&1
        wine wineboot </dev/null >/dev/null 2>&1
        status=0
        "$1" >>"$2" 2>&1 || status=$?
        wineserver -k 2>/dev/null || true
        exit "$status"
    ' sh "$e2e" "$log" || status=$?
else
    echo "$e2e is missing: build the Linux tests first (scripts/test.sh)" >>"$log"
    status=1
fi
tests_done=$(now)
# The installer as a user runs it, in the same prefix, no display needed:
# installed silently, its desktop shortcut's program run on the example
# folder, uninstalled silently, and nothing may be left.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
tests/installer/installer_test.py --installer "build/windows/mokuji-$version-setup.exe" \
    --version "$version" --opener build/windows/tests/e2e/record_opened.exe >>"$log" 2>&1 ||
    status=$?
installer_done=$(now)

# --- Summary -----------------------------------------------------------------
echo
echo "== Windows tests under Wine ($(wine --version 2>/dev/null || echo wine))"
grep -E 'tests passed|tests failed|^\[  (PASSED|FAILED) |^installer test: ' "$log" ||
    echo "no summary; see $log"
sed -n '/The following tests did not run:/,/^$/p' "$log"
sed -n '/The following tests FAILED:/,/^Errors while running CTest/p' "$log"
echo "setup $((setup_done - started)) s, build $((build_done - setup_done)) s," \
     "Wine prefix $((prefix_done - build_done)) s, tests $((tests_done - prefix_done)) s," \
     "installer $((installer_done - tests_done)) s, total $((installer_done - started)) s;" \
     "full log: $log"
exit "$status"
