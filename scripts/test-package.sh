#!/bin/sh
# Builds the Debian package from build/release, checks it with lintian (an
# error or a warning fails, as an archive would refuse it), installs it on
# this machine with apt (so that its dependencies are resolved as a user's
# would be), runs `mokuji` from PATH on a copy of the example folder without
# a display, checks the list with xlrd, runs `mokuji-inspect` from PATH on a
# workbook of it, and removes (purges) the package again, whatever failed.
# Needs root (or sudo) and what scripts/setup-debian.sh installs.
#
# A mokuji package already installed that this script did not install is
# left alone: the script stops with a status that is not 0 rather than
# replace or remove somebody's program, or pass without testing anything.
set -eu
cd "$(dirname "$0")/.."
build=build/release
# Written while our package is installed: one found with it is a leftover
# of an interrupted run here, which may be replaced.
marker=$build/test-package.installed

if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
step() {
    name=$1
    shift
    begun=$(date +%s)
    "$@"
    echo "== test-package: $name: $(($(date +%s) - begun)) s" >&2
}

installed() {
    dpkg-query -W -f='${Status}' mokuji 2>/dev/null | grep -q "install ok installed"
}
if installed && [ ! -e "$marker" ]; then
    echo "test-package: a mokuji package ($(dpkg-query -W -f='${Version}' mokuji)) is installed," \
         "not by this script; remove it (dpkg -r mokuji) to run this test" >&2
    exit 1
fi

package() {
    if [ ! -f $build/CMakeCache.txt ]; then
        cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOKUJI_WERROR=ON
    fi
    cmake --build $build -j "$(nproc 2>/dev/null || echo 2)" \
        --target mokuji mokuji-desktop mokuji-inspect mokuji_compressed_docs
    rm -f $build/mokuji_*.deb
    (cd $build && cpack -G DEB >/dev/null)
}
step "package" package
deb=$(ls $build/mokuji_*.deb)
contents=$(dpkg-deb -c "$deb")
if printf '%s\n' "$contents" | grep -Eiq 'test|bench|fuzz'; then
    printf 'test-package: the package holds more than the programs:\n%s\n' "$contents" >&2
    exit 1
fi

# Each tag is explained in the output (-i); informational ones are shown
# but pass.
check_package() {
    command -v lintian >/dev/null || {
        echo "test-package: lintian is missing (scripts/setup-debian.sh installs it)" >&2
        exit 1
    }
    lintian -i --fail-on error,warning "$deb" || {
        echo "test-package: lintian finds errors or warnings in $deb" >&2
        exit 1
    }
}
step "lintian" check_package

work=$(mktemp -d)
cleanup() {
    status=$?
    rm -rf "$work"
    if [ -e "$marker" ]; then
        if installed; then
            $SUDO dpkg -P mokuji >/dev/null || status=1
        fi
        # Kept while the package could not be removed, so that the next run
        # knows it for ours.
        installed || rm -f "$marker"
    fi
    exit $status
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

install_package() {
    touch "$marker"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        -o DPkg::Lock::Timeout=300 "$(pwd)/$deb" >/dev/null
}
step "install" install_package

run_installed() {
    program=$(command -v mokuji)
    [ "$program" = /usr/bin/mokuji ] || { echo "test-package: mokuji on PATH is $program" >&2; exit 1; }
    cp -R examples/questionnaires "$work/"
    rm -f "$work/questionnaires/00_目次.xls"
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM MOKUJI_OPENER=true \
        mokuji "$work/questionnaires" 2>"$work/stderr" || {
        cat "$work/stderr" >&2
        exit 1
    }
    # The distribution's interpreter, which has python3-xlrd.
    /usr/bin/python3 - "$work/questionnaires" <<'EOF'
import sys
from pathlib import Path

import xlrd

folder = Path(sys.argv[1])
sheet = xlrd.open_workbook(str(folder / "00_目次.xls")).sheet_by_name("目次")
rows = [sheet.cell_value(r, 2) for r in range(5, sheet.nrows)]
books = sorted(p.name for p in folder.glob("*.xls") if p.name != "00_目次.xls")
if sheet.cell_value(2, 2) != "FILE名" or rows != books or len(rows) != 4:
    sys.exit("test-package: the list's rows are %r, not the 4 workbooks %r" % (rows, books))
print("test-package: the installed mokuji listed %d workbooks" % len(rows))
EOF
    program=$(command -v mokuji-inspect)
    [ "$program" = /usr/bin/mokuji-inspect ] ||
        { echo "test-package: mokuji-inspect on PATH is $program" >&2; exit 1; }
    # The programs say the version as the window's version box does: 0.03.00
    # for the package's 0.3.0.
    version=$(dpkg-query -W -f='${Version}' mokuji | awk -F. '{ printf "%s.%02d.%02d", $1, $2, $3 }')
    [ "$(mokuji-inspect --version | head -n 1)" = "mokuji-inspect $version" ] || {
        echo "test-package: mokuji-inspect --version does not say $version" >&2
        exit 1
    }
    # The name the example's first workbook gives its comment, and its value.
    mokuji-inspect "$work/questionnaires/アンケート回答_00001.xls" >"$work/inspect.json"
    /usr/bin/python3 - "$work/inspect.json" <<'EOF'
import json
import sys

report = json.load(open(sys.argv[1], encoding="utf-8"))
entry = report[0] if len(report) == 1 else {}
names = {n["name"]: n.get("value") for n in entry.get("names", [])}
if entry.get("error") is not None or not names.get("コメント"):
    sys.exit("test-package: mokuji-inspect does not show the workbook's name コメント: %r" % report)
print("test-package: the installed mokuji-inspect read %d names" % len(names))
EOF
}
step "run from PATH" run_installed

# Purged, not only removed, so that dpkg keeps no record of it either.
remove_package() {
    $SUDO dpkg -P mokuji >/dev/null
    rm -f "$marker"
    if [ -e /usr/bin/mokuji ] || dpkg-query -W mokuji >/dev/null 2>&1; then
        echo "test-package: mokuji is still there after dpkg -P" >&2
        exit 1
    fi
}
step "remove" remove_package
