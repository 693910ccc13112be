#!/usr/bin/env bash
# Runs every fuzz target of the host build, one after the other, and prints the executions and
# the findings of each.
#
#   bash tools/fuzz.sh MINUTES [TARGET...]          each target for MINUTES minutes
#   bash tools/fuzz.sh --runs N [TARGET...]         each target for N executions
#   bash tools/fuzz.sh --plain ...                  the same, built without the sanitizers
#
# Run it after bash tools/build.sh. --plain builds the targets once more without the sanitizers
# (build/fuzz-plain): three to five times the executions a second, for runs of millions. What
# such a run adds to the corpus is still checked under the sanitizers, since the test command
# replays the corpus in the sanitized build.
#
# Each target starts from its corpus in tests/fuzz/corpus/<name> and the inputs earlier runs
# found (build/fuzz/<name>/found). Afterwards the found inputs that reach code the corpus does
# not are merged into the corpus in the repository (libFuzzer's merge keeps only those), so
# that the test run, which replays it, starts from what the long runs reached. Findings
# (inputs that crash, leak or hang) go to build/fuzz/<name>/findings; each must become a test.
# Exits non-zero when any target found something.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
build=${DIALER_BUILD:-$top/build}
bin=$build/host/bin
usage() { echo "usage: tools/fuzz.sh [--plain] MINUTES|--runs N [TARGET...]" >&2; exit 2; }
number() { case ${1:-} in '' | *[!0-9.]*) usage ;; esac; }

plain=0
if [ "${1:-}" = --plain ]; then plain=1; shift; fi
runs=-1
seconds=0
if [ "${1:-}" = --runs ]; then
    number "${2:-}"
    runs=$2
    shift 2
else
    number "${1:-}"
    seconds=$(awk -v m="$1" 'BEGIN { printf "%d", m * 60 }')
    shift
fi

if [ $plain = 1 ]; then
    bin=$build/fuzz-plain/bin
    cmake -S "$top" -B "$build/fuzz-plain" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DDIALER_SANITIZE=OFF >/dev/null &&
        cmake --build "$build/fuzz-plain" -j "$(nproc)" --target fuzz_skin_lzh fuzz_skin_archive \
            fuzz_skin_ini fuzz_device_reply fuzz_number >/dev/null || exit 2
fi

# Each target: its corpus folder and its longest input.
declare -A corpus=([fuzz_skin_lzh]=lzh [fuzz_skin_archive]=archive [fuzz_skin_ini]=ini
    [fuzz_device_reply]=reply [fuzz_number]=number)
declare -A max_len=([fuzz_skin_lzh]=4096 [fuzz_skin_archive]=4096 [fuzz_skin_ini]=8192
    [fuzz_device_reply]=64 [fuzz_number]=512)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_skin_lzh fuzz_skin_archive fuzz_skin_ini fuzz_device_reply fuzz_number)

rc=0
printf '%-20s %12s %8s %9s %8s %s\n' target executions seconds per-sec findings corpus
for target in "${targets[@]}"; do
    name=${corpus[$target]:-}
    [ -n "$name" ] || { echo "fuzz: unknown target $target" >&2; rc=2; continue; }
    [ -x "$bin/$target" ] || { echo "fuzz: no $bin/$target (build the host tree with clang)" >&2; rc=2; continue; }
    kept=$top/tests/fuzz/corpus/$name
    work=$build/fuzz/$name
    mkdir -p "$work/found" "$work/findings" "$kept"
    log=$work/run.log
    # Go on after a finding: the run counts them all, each saved under findings/.
    started=$(date +%s)
    "$bin/$target" -max_total_time="$seconds" -runs="$runs" -max_len="${max_len[$target]}" -timeout=10 \
        -print_final_stats=1 -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
        -artifact_prefix="$work/findings/" "$work/found" "$kept" >"$log" 2>&1
    # Progress lines start with "#<executions so far>"; the last one is the total.
    executions=$(sed -n 's/^#\([0-9][0-9]*\).*/\1/p' "$log" | tail -1)
    findings=$(find "$work/findings" -type f | wc -l)
    took=$(($(date +%s) - started))
    # What the run found that covers something new joins the corpus in the repository.
    "$bin/$target" -merge=1 -max_len="${max_len[$target]}" "$kept" "$work/found" \
        >"$work/merge.log" 2>&1 || echo "fuzz: $target: merge failed (see $work/merge.log)" >&2
    per_second=$(awk -v e="${executions:-0}" -v s="$took" 'BEGIN { printf "%d", s ? e / s : 0 }')
    printf '%-20s %12s %8s %9s %8s %s\n' "$target" "${executions:-?}" "$took" "$per_second" "$findings" \
        "$(ls "$kept" | wc -l) inputs, $(cat "$kept"/* | wc -c) bytes"
    [ "$findings" -eq 0 ] || rc=1
done
exit $rc
