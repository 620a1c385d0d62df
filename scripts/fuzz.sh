#!/bin/sh
# Builds the fuzz targets of tests/fuzz with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for FUZZ_SECONDS (default 60),
# as many at once as there are cores (FUZZ_JOBS).
# Usage: scripts/fuzz.sh [BUILD_DIR]   (default build/fuzz)
# The working corpora and any crash, hang or leak input are kept in
# BUILD_DIR/fuzz-work; the repository's seeds are only read. The exit status
# is not 0 when a target found anything; the input that did is named.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/fuzz}
# Absolute, since each target runs from its own working folder.
mkdir -p "$build"
build=$(cd "$build" && pwd)
seconds=${FUZZ_SECONDS:-60}
jobs=${FUZZ_BUILD_JOBS:-2}

"$root/scripts/setup-debian.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMOKUJI_FUZZ=ON -DMOKUJI_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzzers -j "$jobs"

fuzz="$build/tests/fuzz"
# Every target, in the order they are run and reported.
targets="compound_file zip_archive workbook_file workbook_parts workbook_stream property_set typed_entry reference"
work="$build/fuzz-work"
rm -rf "$work"
mkdir -p "$work"

# Seeds: the corpus workbooks for the file targets, their streams for the
# stream targets, the corpus packages for the zip target, one input a line
# of the seed lists for the text targets.
# Copies the files named after the target into its corpus, numbered, since
# files of different folders share names.
seed_with() {
    t=$1
    shift
    mkdir -p "$work/$t/corpus"
    i=0
    for f in "$@"; do
        i=$((i + 1))
        cp "$f" "$work/$t/corpus/$i-$(basename "$f")"
    done
}
seed_files=$(find "$root/tests/data/corpus" "$root/tests/data/fixtures" -type f -name '*.xls' | sort)
package_files=$(find "$root/tests/data/corpus-xlsx" -type f \( -name '*.xlsx' -o -name '*.xlsm' \) | sort)
# shellcheck disable=SC2086
{
    seed_with compound_file $seed_files
    seed_with workbook_file $seed_files
    seed_with zip_archive $package_files
}
# shellcheck disable=SC2086
"$fuzz/fuzz_seed_streams" "$work/streams" $seed_files $package_files
for t in workbook_stream property_set workbook_parts; do
    mkdir -p "$work/$t"
    mv "$work/streams/$t" "$work/$t/corpus"
done
rmdir "$work/streams/" 2>/dev/null || true
for t in typed_entry reference; do
    mkdir -p "$work/$t/corpus"
    i=0
    while IFS= read -r line; do
        i=$((i + 1))
        printf '%s' "$line" >"$work/$t/corpus/seed-$i"
    done <"$root/tests/fuzz/seeds/$t.txt"
done
# Every input once found keeps being fuzzed from.
for t in $targets; do
    regressions="$root/tests/data/fuzz-regressions/$t"
    [ -d "$regressions" ] && cp "$regressions"/* "$work/$t/corpus/" 2>/dev/null || true
done

# One target a core at a time: the time given is each target's own.
fuzz_jobs=${FUZZ_JOBS:-$(nproc 2>/dev/null || echo 2)}
run_target() {
    t=$1
    case $t in
        compound_file | workbook_file | zip_archive) max_len=1048576 ;;
        workbook_stream | property_set | workbook_parts) max_len=262144 ;;
        *) max_len=256 ;;
    esac
    dict=""
    [ -f "$root/tests/fuzz/dictionaries/$t.dict" ] && dict="-dict=$root/tests/fuzz/dictionaries/$t.dict"
    mkdir -p "$work/$t/artifacts"
    echo "fuzz: $t for ${seconds}s" >&2
    # shellcheck disable=SC2086
    if (cd "$work/$t" && "$fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len="$max_len" -print_final_stats=1 \
        -artifact_prefix="$work/$t/artifacts/" $dict "$work/$t/corpus" >"$work/$t/log" 2>&1); then
        echo passed >"$work/$t/result"
    else
        echo failed >"$work/$t/result"
    fi
}

running=0
for t in $targets; do
    run_target "$t" &
    running=$((running + 1))
    if [ "$running" -ge "$fuzz_jobs" ]; then
        wait
        running=0
    fi
done
wait

failed=""
for t in $targets; do
    if [ "$(cat "$work/$t/result" 2>/dev/null)" != passed ]; then
        failed="$failed $t"
        echo "fuzz: $t FAILED; see $work/$t/log" >&2
        for a in "$work/$t/artifacts"/*; do
            [ -e "$a" ] && echo "fuzz: $t artifact: $a" >&2
        done
    fi
    grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$work/$t/log" >&2 || true
done

if [ -n "$failed" ]; then
    echo "fuzz: findings in:$failed" >&2
    exit 1
fi
echo "fuzz: no findings" >&2
