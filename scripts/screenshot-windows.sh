#!/bin/sh
# Builds the Windows window's preview with mingw-w64 and saves a picture of
# the window as Wine shows it on a virtual X display (Xvfb), in a Wine
# virtual desktop so that the window has its Windows frame.
#   scripts/screenshot-windows.sh [output folder]     (default: docs)
# Debian 12; installs what it needs with apt-get. Builds in build/windows.
set -eu
cd "$(dirname "$0")/.."
out="${1:-docs}"
./scripts/setup-windows.sh
if ! command -v import >/dev/null 2>&1; then
    SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
        --no-install-recommends imagemagick
fi
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOKUJI_BUILD_BENCH=OFF >/dev/null
cmake --build build/windows -j "${MOKUJI_JOBS:-2}" --target win32_window_preview
mkdir -p "$out"
out="$(cd "$out" && pwd)"

wine_home=$(mktemp -d)
export WINEPREFIX="$wine_home/pfx" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# shellcheck disable=SC2317  # called by the trap
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$wine_home"
}
trap cleanup EXIT INT TERM
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
cp build/windows/tests/win32/win32_window_preview.exe "$WINEPREFIX/mokuji.exe"
# The virtual desktop is read when the desktop starts, so it is set before
# anything else runs in the prefix.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null 2>&1
wineserver -w

# One start of the window for each picture: as it waits for a drop, and
# with its ﾌｧｲﾙ menu open.
# shellcheck disable=SC2016  # the inner shell expands them
xvfb-run -a -s "-screen 0 800x600x24" sh -c '
    set -eu
    out="$1"
    screen() { import -window root rgb:- 2>/dev/null | md5sum; }
    blank=$(screen)
    for picture in window menu; do
        wine "$WINEPREFIX/mokuji.exe" 30000 "$picture" &
        pid=$!
        # Wine and its desktop take a few seconds to come up on a fresh
        # prefix; the picture is taken once the screen has changed and then
        # stays so.
        last=""
        for _ in $(seq 60); do
            sleep 0.5
            now=$(screen)
            [ "$now" != "$blank" ] && [ "$now" = "$last" ] && break
            last="$now"
        done
        import -window root "$out/window-windows-$picture-screen.png"
        wineserver -k 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        blank=$(screen)
    done
' sh "$out"
# Only the window: the desktop around it is one plain colour.
convert "$out/window-windows-window-screen.png" -trim +repage "$out/window-windows.png"
convert "$out/window-windows-menu-screen.png" -trim +repage "$out/window-windows-menu.png"
rm -f "$out/window-windows-window-screen.png" "$out/window-windows-menu-screen.png"
echo "saved: $out/window-windows.png $out/window-windows-menu.png"
