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

# The program is 32-bit; a machine that cannot run 32-bit code runs the tests on a 64-bit build.
arch=i686
[ "$(bash tools/wine/arch)" = win64 ] && arch=x86_64
echo "=== windows build ($arch)"
toolchain=$top/cmake/mingw-$arch.cmake
if [ -f "$build/win/CMakeCache.txt" ] && ! grep -q "CMAKE_TOOLCHAIN_FILE.*=$toolchain\$" "$build/win/CMakeCache.txt"; then
    rm -rf "$build/win"
fi
cmake -S . -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DDIALER_HOST_TOOLS="$build/host/bin" >/dev/null || exit 1
cmake --build "$build/win" -j "$jobs" || exit 1
