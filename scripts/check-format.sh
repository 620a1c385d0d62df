#!/bin/sh
# Fails when a tracked C or C++ source or header is not laid out as
# clang-format lays it out with the repository's .clang-format, and names
# each such file. Debian's clang-format is the one the files follow: another
# version breaks some lines elsewhere. Fix a file with `clang-format -i FILE`.
set -eu
cd "$(dirname "$0")/.."

if ! command -v clang-format >/dev/null 2>&1; then
    echo "check-format: clang-format is missing (scripts/setup-debian.sh installs it)" >&2
    exit 2
fi

out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.cxx' '*.h' '*.hh' '*.hpp' '*.hxx' |
    xargs -0 clang-format --dry-run --Werror >"$out" 2>&1 || status=$?
files=$(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' "$out" |
    sort -u)
if [ -n "$files" ]; then
    echo "check-format: not formatted as clang-format $(clang-format --version |
        sed 's/.*version \([0-9.]*\).*/\1/') lays them out (clang-format -i FILE):" >&2
    printf '%s\n' "$files" | sed 's/^/  /' >&2
    exit 1
fi
if [ "$status" -ne 0 ]; then
    # clang-format itself failed (a file it cannot read, a broken .clang-format).
    cat "$out" >&2
    exit 1
fi
echo "check-format: $(git ls-files -- '*.c' '*.cc' '*.cpp' '*.cxx' '*.h' '*.hh' '*.hpp' '*.hxx' |
    wc -l) files formatted" >&2
