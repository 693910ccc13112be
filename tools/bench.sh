#!/usr/bin/env bash
# Builds both trees, runs every benchmark in bench/ and prints one table: each figure, its
# baseline measured in the same run, their ratio and the aim for that ratio.
#
#   bash tools/bench.sh [NAME...]     NAME: decode paint frame button menu scroll gallery
#                                     comm startup (default: all)
#
# Each benchmark's own report goes to build/bench/NAME.txt; the rows it marks for the table
# ("@row ...", see bench/BenchRow.h) are gathered here. The figures are medians of repeated
# runs, on whatever else the machine is doing: run it on a quiet machine.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
build=${DIALER_BUILD:-$top/build}
bash "$top/tools/build.sh" >/dev/null || { echo "bench: the build failed" >&2; exit 1; }
# The tree the tests run on (the architecture this machine's Wine runs) has the benchmarks.
tree=$(bash "$top/tools/wine/arch")
win=$build/$tree/bin
host=$build/host/bin
out=$build/bench
mkdir -p "$out"
cd "$out" # whatever a benchmark writes beside it stays in the build tree
export DIALER_WINE_DIR=$build/$tree/wine DIALER_HOST_TOOLS=$host DIALER_BIN=$win DIALER_SOURCE=$top
export WINENV_XVFB=${WINENV_XVFB:-1}
winenv=$top/tools/wine/winenv

names=("$@")
[ ${#names[@]} -gt 0 ] || names=(decode paint frame button menu scroll gallery comm startup)

run() { # run NAME COMMAND...
    local name=$1
    shift
    echo "bench: $name" >&2
    "$@" >"$out/$name.txt" 2>&1 || echo "bench: $name failed (see $out/$name.txt)" >&2
}

was_up=0
[ -f "$DIALER_WINE_DIR/server.up" ] && was_up=1
"$winenv" --dir "$DIALER_WINE_DIR" start || exit 1
for name in "${names[@]}"; do
    case $name in
    decode) run decode "$host/bench_skin_decode" ;;
    paint) run paint "$winenv" --dir "$DIALER_WINE_DIR" exec "$win/skinpaint_bench.exe" ;;
    frame) run frame "$winenv" --dir "$DIALER_WINE_DIR" exec "$win/skinframe_bench.exe" ;;
    button) run button "$winenv" --dir "$DIALER_WINE_DIR" exec "$win/skinbutton_bench.exe" ;;
    menu) run menu "$winenv" --dir "$DIALER_WINE_DIR" exec "$win/skinmenu_bench.exe" ;;
    scroll) run scroll "$winenv" --dir "$DIALER_WINE_DIR" exec "$win/skinscroll_bench.exe" ;;
    gallery) run gallery "$winenv" --dir "$DIALER_WINE_DIR" exec "$win/skingallery_bench.exe" ;;
    comm) run comm bash "$top/tools/devsim/with-devsim" --log "$out/comm.devsim.log" COM2=device \
        -- "$win/comm_bench.exe" COM2 ;;
    # The program's windows ask for a device; with none listed they only say so.
    startup) run startup "$winenv" --dir "$DIALER_WINE_DIR" exec "$win/app_startup.exe" \
        'Z:'"${win//\//\\}"'\dialer.exe' TFmain:skinned 'Z:'"${win//\//\\}"'\app_minimal.exe' TMinimal ;;
    *) echo "bench: no benchmark $name" >&2 ;;
    esac
done
[ $was_up = 1 ] || "$winenv" --dir "$DIALER_WINE_DIR" stop

echo
printf '%-58s %12s %12s %-18s %7s %6s\n' figure value baseline unit ratio aim
for name in "${names[@]}"; do
    [ -f "$out/$name.txt" ] || continue
    tr -d '\r' <"$out/$name.txt" | sed -n 's/^@row //p' |
        awk -F'|' '{
            ratio = $3 > 0 ? $2 / $3 : 0
            aim = $5 > 0 ? sprintf("<= %g", $5) : "-"
            mark = ($5 > 0 && ratio > $5) ? "  over" : ""
            printf "%-58s %12.4g %12.4g %-18s %7.2f %6s%s\n", $1, $2, $3, $4, ratio, aim, mark
        }'
done
