#!/usr/bin/env bash
# Installs what is missing, then configures and builds both trees: the host tree (tools,
# portable code and its tests, sanitized) and the Windows tree (the program and its tests).
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/setup.sh || exit 2
jobs=$(nproc)
build=${DIALER_BUILD:-$top/build}

echo "=== host build"
cmake -S . -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DDIALER_SANITIZE=ON >/dev/null || exit 1
cmake --build "$build/host" -j "$jobs" || exit 1

echo "=== windows build"
cmake -S . -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DDIALER_HOST_TOOLS="$build/host/bin" >/dev/null || exit 1
cmake --build "$build/win" -j "$jobs" || exit 1
