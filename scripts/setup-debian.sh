#!/bin/sh
# Installs what building, testing and benchmarking mokuji needs on Debian 12.
# LibreOffice Calc is the second independent reader of the lists we write
# (beside xlrd), python3-uno lets the tests edit lists in LibreOffice
# itself, as users do, and Xvfb is a display for the window's end-to-end
# run: their tests would skip (or, in CI, fail) without them. dpkg-dev
# (dpkg-shlibdeps) finds the Debian package's dependencies and lintian
# checks the package as an archive would; desktop-file-utils, appstream and
# man-db check the installed desktop entry, metainfo and manual page, and
# xdg-utils that the install leaves the desktop's default applications
# alone. clang-format checks that every source keeps the repository's
# layout.
# Safe to run again: apt-get skips what is already there.
set -eu

packages="build-essential cmake ninja-build pkg-config
          libgtest-dev libgmock-dev libbenchmark-dev
          python3 python3-xlrd python3-olefile tzdata
          qt6-base-dev qt6-translations-l10n fonts-ipafont-gothic
          clang libclang-rt-14-dev clang-format
          libreoffice-calc python3-uno xvfb xauth
          dpkg-dev lintian desktop-file-utils appstream man-db xdg-utils
          zlib1g-dev libexpat1-dev libpugixml-dev python3-openpyxl"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing
