#!/usr/bin/env bash
# Builds both trees and runs every test: host tests (sanitized), fuzz runs, and the Windows
# tests and end-to-end tests under Wine. Exits non-zero on any failure.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/setup.sh || exit 2
jobs=$(nproc)
build=${DIALER_BUILD:-$top/build}

step() { echo; echo "=== $*"; }

step "host build"
cmake -S . -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DDIALER_SANITIZE=ON >/dev/null || exit 1
cmake --build "$build/host" -j "$jobs" || exit 1

step "windows build"
cmake -S . -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DDIALER_HOST_TOOLS="$build/host/bin" >/dev/null || exit 1
cmake --build "$build/win" -j "$jobs" || exit 1

rc=0
step "host tests"
ctest --test-dir "$build/host" --output-on-failure -j "$jobs" || rc=1
step "windows and end-to-end tests (Wine)"
# The Windows tests get an X server of their own, never the user's screen.
WINENV_XVFB=1 ctest --test-dir "$build/win" --output-on-failure || rc=1
exit $rc
