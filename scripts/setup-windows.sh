#!/bin/sh
# Installs what building mokuji.exe and its installer and testing them under
# Wine needs on Debian 12: the mingw-w64 cross compiler, NSIS (makensis),
# Wine, a virtual display, and the Japanese locale. Safe to run again.
set -eu

# googletest: the distribution's sources, built for Windows with the tests.
# python3-xlrd: the installer's test reads the installed program's list.
packages="cmake ninja-build g++-mingw-w64-x86-64 nsis wine wine64 fonts-wine fonts-ipafont-gothic
          locales googletest xvfb xauth python3 python3-xlrd libz-mingw-w64-dev"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
if [ -n "$missing" ]; then
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    # shellcheck disable=SC2086
    $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends $missing
fi
# Without the Japanese locale Wine hands non-ASCII paths and arguments from
# Linux to the program garbled, and draws Japanese texts as boxes.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
