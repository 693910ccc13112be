#!/usr/bin/env bash
# Makes the release folder dist/: dialer-VERSION-win32.zip and dialer-VERSION-win64.zip, each
# with the program as shipped (dialer.exe), the README's section for Windows users as it stands
# now (README.txt) and the SHA-256 sums of both (SHA256SUMS); dist/SHA256SUMS sums the archives.
# VERSION is the build's own (the top CMakeLists.txt).
#
# The archives are reproducible: no link time stamps in the programs, and every entry with the
# commit's time, fixed permissions and a fixed order. The script proves it: it builds the
# programs a second time from a copy of the sources in a folder of their own, without the
# compiler cache, packs them the same way and fails unless both give the same bytes.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
build=${DIALER_BUILD:-$top/build}
dist=$top/dist

fail() { echo "release: $*" >&2; exit 1; }

bash tools/build.sh || fail "the build failed"
version=$(sed -n 's/^DIALER_VERSION:INTERNAL=//p' "$build/win32/CMakeCache.txt")
[ -n "$version" ] || fail "no version in $build/win32/CMakeCache.txt"

# Every entry carries the time of the commit the release is made from.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null)}
[ -n "$epoch" ] || epoch=315532800 # 1980-01-01, the first time a zip entry can hold
[ -n "$(git status --porcelain 2>/dev/null)" ] &&
    echo "release: note: the work tree has changes not committed; the archives carry them"

# The README's section for Windows users: from its heading to the next one, in Windows' own
# line ends, marked as UTF-8 for the text editors of older Windows.
guide() {
    printf '\xEF\xBB\xBF'
    awk '/^## / { if (inside) exit; if ($0 ~ /Windows/) inside = 1 } inside' README.md |
        sed 's/$/\r/'
}
guide | grep -q . || fail "README.md has no section for Windows users (a '## ' heading naming Windows)"

# pack BIN ZIP: the program of one tree into one archive.
pack() {
    local stage
    stage=$(mktemp -d) || return 1
    cp "$1/dialer.exe" "$stage/dialer.exe" &&
        guide >"$stage/README.txt" &&
        (cd "$stage" && sha256sum dialer.exe README.txt >SHA256SUMS) &&
        chmod 644 "$stage"/* &&
        touch -d "@$epoch" "$stage"/* &&
        rm -f "$2" &&
        (cd "$stage" && TZ=UTC0 zip -X -D -q "$2" dialer.exe README.txt SHA256SUMS)
    local rc=$?
    rm -rf "$stage"
    return $rc
}

mkdir -p "$dist"
for tree in win32 win64; do
    pack "$build/$tree/bin" "$dist/dialer-$version-$tree.zip" || fail "packing $tree failed"
done

# The same programs built again elsewhere: from a copy of the sources in a folder of its own
# (the files git tracks or would track, as they are now), with the host tools.
check=$build/release-check
rm -rf "${check:?}"
mkdir -p "$check/source"
git ls-files -z --cached --others --exclude-standard |
    tar --null --files-from=- --ignore-failed-read -cf - 2>/dev/null | tar -xf - -C "$check/source" ||
    fail "copying the sources to $check/source failed"
for tree in win32 win64; do
    cpu=i686
    [ "$tree" = win64 ] && cpu=x86_64
    echo "=== release: building the $tree program again in $check/$tree"
    CCACHE_DISABLE=1 cmake -S "$check/source" -B "$check/$tree" -G Ninja \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_TOOLCHAIN_FILE="$check/source/cmake/mingw-$cpu.cmake" \
        -DDIALER_HOST_TOOLS="$build/host/bin" >/dev/null || fail "configuring $check/$tree failed"
    CCACHE_DISABLE=1 cmake --build "$check/$tree" --target dialer -j "$(nproc)" >/dev/null ||
        fail "building $check/$tree failed"
    again=$check/dialer-$version-$tree.zip
    pack "$check/$tree/bin" "$again" || fail "packing $check/$tree failed"
    cmp -s "$dist/dialer-$version-$tree.zip" "$again" ||
        fail "dialer-$version-$tree.zip differs between two builds of the same sources"
done

(cd "$dist" && sha256sum "dialer-$version-win32.zip" "dialer-$version-win64.zip" >SHA256SUMS)
echo "release: both builds gave the same archives"
ls -l "$dist"
