#!/usr/bin/env bash
# Builds every tree and runs every test: host tests (sanitized), fuzz runs, the checks of the
# shipped program of each Windows tree, and the Windows tests and end-to-end tests under Wine
# on the tree of the architecture this machine's Wine runs (the tests labelled "arch" also on
# the other tree where the machine runs it). Exits non-zero on any failure.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
build=${DIALER_BUILD:-$top/build}
bash "$top/tools/build.sh" || exit 1
test_tree=$(bash "$top/tools/wine/arch")
other_tree=win64
[ "$test_tree" = win64 ] && other_tree=win32

rc=0
echo; echo "=== host tests"
ctest --test-dir "$build/host" --output-on-failure -j "$(nproc)" || rc=1
# The other tree: its shipped program's checks and, where this machine runs that architecture
# too (a 64-bit tree beside a 32-bit one), the tests of the code that differs by architecture.
labels=shipped
[ "$other_tree" = win64 ] && labels='shipped|arch'
echo; echo "=== $labels tests ($other_tree)"
WINENV_XVFB=1 ctest --test-dir "$build/$other_tree" --output-on-failure -L "$labels" || rc=1
echo; echo "=== windows and end-to-end tests ($test_tree, under Wine)"
# The Windows tests get an X server of their own, never the user's screen.
WINENV_XVFB=1 ctest --test-dir "$build/$test_tree" --output-on-failure || rc=1
exit $rc
