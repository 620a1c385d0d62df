#!/bin/sh
# Installs mokuji from a build into a temporary folder, shows a copy of the
# example workbooks in a file manager (PCManFM-Qt, in Japanese) on a virtual
# X display (Xvfb) and saves a picture of a workbook's "Open with" submenu,
# where the installed desktop entry offers mokuji, with its icon, beside the
# workbooks' default program.
#   scripts/screenshot-launcher.sh [build folder]     (default: build/release)
set -eu
cd "$(dirname "$0")/.."
build="${1:-build/release}"
out="docs/launcher-linux.png"
[ -f "$build/cmake_install.cmake" ] || {
    echo "$build holds no build: build mokuji first (scripts/run-example.sh)" >&2
    exit 1
}
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"

# LibreOffice Calc is there to be the workbooks' default, as on a desktop
# where mokuji is installed beside a program that edits them.
missing=""
for p in cmake xvfb xauth x11-utils xdotool imagemagick openbox dbus-daemon \
         pcmanfm-qt pcmanfm-qt-l10n libfm-qt-l10n adwaita-icon-theme \
         fonts-ipafont-gothic desktop-file-utils gtk-update-icon-cache \
         shared-mime-info libglib2.0-bin locales libreoffice-calc; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    $SUDO apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
# Qt reads file names in the locale's encoding: without the locale the
# Japanese names would be garbled, not just the menus left in English.
locale -a | grep -qixE 'ja_JP\.utf-?8' || $SUDO localedef -i ja_JP -c -f UTF-8 ja_JP.UTF-8

tmp="$(mktemp -d /tmp/mokuji-launcher.XXXXXX)"
trap 'rm -rf "$tmp"' EXIT
trap 'exit 130' INT TERM
# The desktop may run as another user (below), who must reach the tree.
chmod 755 "$tmp"
DESTDIR="$tmp/root" cmake --install "$build" --prefix /usr >/dev/null
share="$tmp/root/usr/share"
# What the package's triggers leave under /usr: without mimeinfo.cache GIO
# does not know that the entry takes workbooks, and the icons are looked up
# through a cache there too.
update-desktop-database "$share/applications"
gtk-update-icon-cache -q -f -t "$share/icons/hicolor"

mkdir -p "$tmp/home/config/pcmanfm-qt/default" "$tmp/home/config/fontconfig" \
         "$tmp/home/data" "$tmp/home/cache" "$tmp/home/run"
chmod 700 "$tmp/home/run"
# The path bar shows its last folders, named as in the source tree rather
# than after the temporary folder.
mkdir -p "$tmp/examples"
cp -R examples/questionnaires "$tmp/examples/questionnaires"
# mokuji offers itself for workbooks and folders but is not their default;
# its folder comes first in XDG_DATA_DIRS, as /usr/local does, and GIO
# would otherwise take the first entry it finds as the default.
cat >"$tmp/home/config/mimeapps.list" <<'EOF'
[Default Applications]
application/vnd.ms-excel=libreoffice-calc.desktop
inode/directory=pcmanfm-qt.desktop
EOF
# Without a theme of its own the file manager shows no icons at all; the
# list view and no side pane leave room for the menus inside the window.
cat >"$tmp/home/config/pcmanfm-qt/default/settings.conf" <<'EOF'
[System]
FallbackIconThemeName=Adwaita

[FolderView]
Mode=detailed
HiddenColumns=3, 4, 5, 6, 7

[Window]
RememberWindowSize=false
FixedWidth=560
FixedHeight=330
ShowMenuBar=true
SidePaneVisible=false
PathBarButtons=true
EOF
# IPAGothic, what sans-serif is for Japanese, sets Latin letters at a fixed
# pitch; its proportional sibling from the same package reads better.
cat >"$tmp/home/config/fontconfig/fonts.conf" <<'EOF'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <alias binding="strong"><family>sans-serif</family><prefer><family>IPAPGothic</family></prefer></alias>
</fontconfig>
EOF

# As root the file manager paints a red warning bar across its window: the
# desktop runs as nobody then.
as_user=""
if [ "$(id -u)" -eq 0 ]; then
    as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"
    chown -R 65534:65534 "$tmp/home" "$tmp/examples"
fi

start=$(date +%s)
# -a picks a free display: other servers may run on a shared machine.
# A session bus of its own keeps the file manager from handing the folder
# to an instance already running elsewhere, and ends with it.
# shellcheck disable=SC2016,SC2086
xvfb-run -a -f "$tmp/Xauthority" -s "-screen 0 1280x720x24" sh -c '
    set -eu
    tmp="$1"; shift
    [ -z "$*" ] || chown 65534:65534 "$XAUTHORITY"
    exec "$@" dbus-run-session -- sh -c "$0" sh "$tmp"
' '
    set -eu
    tmp="$1"
    export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/config" \
           XDG_DATA_HOME="$tmp/home/data" XDG_CACHE_HOME="$tmp/home/cache" \
           XDG_RUNTIME_DIR="$tmp/home/run" \
           XDG_DATA_DIRS="$tmp/root/usr/share:/usr/local/share:/usr/share" \
           PATH="$tmp/root/usr/bin:$PATH" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_CURRENT_DESKTOP
    # The entry has TryExec=mokuji: GIO leaves it out unless mokuji is on
    # PATH, and the picture would then show a file manager without it.
    gio mime application/vnd.ms-excel | grep -q org.mokuji.Mokuji.desktop || {
        echo "the desktop does not offer mokuji for workbooks" >&2; exit 1; }
    pids=""
    trap "kill \$pids 2>/dev/null || true" EXIT
    openbox >/dev/null 2>&1 &
    pids=$!
    # At 1.5 the menus draw their 16-pixel icons from the 24-pixel one,
    # big enough to be recognised in the picture.
    QT_SCALE_FACTOR=1.5 pcmanfm-qt "$tmp/examples/questionnaires" >/dev/null 2>&1 &
    pids="$pids $!"
    id=""
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^questionnaires\$" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || { echo "the file manager did not appear" >&2; exit 1; }
    # The icons are loaded after the list is shown.
    sleep 2
    # Just below the middle of the first row: the menu opens under it and
    # leaves its name and type in sight.
    xdotool mousemove --window "$id" 120 208 click 3
    sleep 1
    # 開く, then アプリケーションで開く..., whose submenu opens with its
    # first entry, mokuji, highlighted.
    xdotool key Down Down Right
    sleep 1
    # The window with its frame and the menus, which may reach past it.
    geometry=$(for w in $(xdotool search --onlyvisible --class pcmanfm-qt); do
            xwininfo -id "$w"; done | awk "
        /Absolute upper-left X/ {x = \$NF} /Absolute upper-left Y/ {y = \$NF}
        /Relative upper-left X/ {rx = \$NF} /Relative upper-left Y/ {ry = \$NF}
        /Width:/ {w = \$NF} /Height:/ {h = \$NF}
        /Override Redirect State: no/ {x -= rx; y -= ry; w += 2 * rx; h += ry + rx}
        /Override Redirect State/ {
            if (n++ == 0 || x < x0) x0 = x; if (n == 1 || y < y0) y0 = y
            if (n == 1 || x + w > x1) x1 = x + w; if (n == 1 || y + h > y1) y1 = y + h
        }
        END {print x1 - x0 \"x\" y1 - y0 \"+\" x0 \"+\" y0}")
    import -window root -crop "$geometry" +repage "$tmp/home/shot.png"
' "$tmp" $as_user
mkdir -p docs
convert "$tmp/home/shot.png" -strip -define png:compression-level=9 "$out"
echo "saved: $out ($(($(date +%s) - start)) s on the display)"
