#!/bin/sh
# Makes the list of the example folder and saves a picture of it as
# LibreOffice Calc shows it on a virtual X display (Xvfb).
#   scripts/screenshot-list.sh [output folder]     (default: docs)
# Needs a release build of mokuji, LibreOffice Calc, xvfb, xdotool and
# imagemagick.
set -eu
cd "$(dirname "$0")/.."
out="${1:-docs}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A copy, so the example folder keeps no list and no lock file.
cp -r examples/questionnaires "$work/answers"
rm -f "$work/answers/00_目次.xls"
MOKUJI_OPENER=true build/release/src/app/mokuji "$work/answers"

XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_RUNTIME_DIR
xvfb-run -a -s "-screen 0 1280x400x24" sh -c '
    set -eu
    work="$1"
    out="$2"
    LC_ALL=C.UTF-8 soffice -env:UserInstallation="file://$work/profile" --norestore \
        --nologo "$work/answers/00_目次.xls" &
    pid=$!
    id=""
    for _ in $(seq 300); do
        id=$(xdotool search --onlyvisible --name "00_目次" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && break
        sleep 0.2
    done
    [ -n "$id" ] || { echo "the list did not appear" >&2; kill "$pid"; exit 1; }
    xdotool windowmove --sync "$id" 0 0 windowsize --sync "$id" 1280 400 || true
    # The grid is drawn a moment after the window is mapped.
    sleep 3
    import -window root -crop 1280x330+0+0 +repage "$out/list-libreoffice.png"
    kill "$pid"
' sh "$work" "$out"
echo "saved: $out/list-libreoffice.png"
