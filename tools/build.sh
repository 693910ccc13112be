#!/usr/bin/env bash
# Installs what is missing, then configures and builds the host tree (tools, portable code and
# its tests, sanitized) and both Windows trees: build/win32 (i686) and build/win64 (x86-64),
# each with the program as shipped for its Windows and every test program. The tests run on
# the tree of the architecture this machine's Wine runs (tools/wine/arch says which); the other
# tree is compiled all the same and its shipped program checked by the test command.
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

# Earlier versions built one Windows tree, build/win.
rm -rf "$build/win"
test_tree=$(bash tools/wine/arch)
other_tree=win64
[ "$test_tree" = win64 ] && other_tree=win32
# The tree the tests run on first: its errors show soonest.
for tree in "$test_tree" "$other_tree"; do
    cpu=i686
    [ "$tree" = win64 ] && cpu=x86_64
    echo "=== windows build $tree ($cpu)"
    toolchain=$top/cmake/mingw-$cpu.cmake
    if [ -f "$build/$tree/CMakeCache.txt" ] &&
        ! grep -q "CMAKE_TOOLCHAIN_FILE.*=$toolchain\$" "$build/$tree/CMakeCache.txt"; then
        rm -rf "${build:?}/$tree"
    fi
    # Size-minded code in both trees: the tests run what is shipped. The benchmarks are built
    # once, in the tree the tests run on.
    benchmarks=ON
    [ "$tree" = "$other_tree" ] && benchmarks=OFF
    cmake -S . -B "$build/$tree" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DDIALER_HOST_TOOLS="$build/host/bin" \
        -DDIALER_BENCHMARKS=$benchmarks >/dev/null || exit 1
    cmake --build "$build/$tree" -j "$jobs" || exit 1
done
