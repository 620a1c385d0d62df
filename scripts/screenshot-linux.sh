#!/bin/sh
# Starts the program on a virtual X display (Xvfb) with the Japanese font
# the window is laid out for, and saves pictures of its window: as it waits
# for a drop, with its ﾌｧｲﾙ menu open, and in English.
#   scripts/screenshot-linux.sh [output folder]     (default: docs)
set -eu
cd "$(dirname "$0")/.."
out="${1:-docs}"
./scripts/setup-debian.sh
extra=""
for p in xvfb xauth x11-utils xdotool imagemagick; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || extra="$extra $p"
done
if [ -n "$extra" ]; then
    SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $extra
fi
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc 2>/dev/null || echo 2)" --target mokuji
mkdir -p "$out"
out="$(cd "$out" && pwd)"

XDG_RUNTIME_DIR="$(mktemp -d)"
export XDG_RUNTIME_DIR
# -a picks a free display: other servers may run on a shared machine. The
# window as it speaks Japanese, with its menu open, then in English.
shoot() {
    xvfb-run -a -s "-screen 0 640x480x24" sh -c '
        set -eu
        out="$1"; locale="$2"; name="$3"
        env MOKUJI_OPENER=true LC_ALL= LANGUAGE= "$locale" build/release/src/app/mokuji &
        pid=$!
        # The window is the mapped top-level one of the design width.
        for _ in $(seq 100); do
            id=$(xdotool search --onlyvisible --name "EXCEL" 2>/dev/null | head -n1 || true)
            [ -n "$id" ] && break
            sleep 0.1
        done
        [ -n "$id" ] || { echo "the window did not appear" >&2; kill "$pid"; exit 1; }
        sleep 0.5
        geometry=$(xwininfo -id "$id" | awk "/Absolute upper-left X/{x=\$NF} /Absolute upper-left Y/{y=\$NF}
            /Width:/{w=\$NF} /Height:/{h=\$NF} END{print w \"x\" h \"+\" x \"+\" y}")
        import -window root -crop "$geometry" +repage "$out/$name.png"
        if [ "$name" = window-linux ]; then
            xdotool windowfocus --sync "$id" key alt+f
            sleep 0.5
            import -window root -crop "$geometry" +repage "$out/window-linux-menu.png"
        fi
        kill "$pid"
    ' sh "$out" "$1" "$2"
}
shoot LANG=C.UTF-8 window-linux
shoot LANG=en_US.UTF-8 window-linux-en
rm -rf "$XDG_RUNTIME_DIR"
echo "saved: $out/window-linux.png $out/window-linux-menu.png $out/window-linux-en.png"
