#!/usr/bin/env bash
# Installs what building, running and testing need on a Debian machine (as root).
# Quick when everything is already there.
set -eu
packages=(wine wine32 wine64 mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix cmake ninja-build googletest
    clang clang-format libclang-rt-14-dev xvfb xauth x11-apps x11-utils xdotool imagemagick
    fonts-wqy-microhei fonts-wine locales procps valgrind zip)
missing=()
# Set when this machine could not install the 32-bit Wine, so that later runs do not try again.
no_wine32=/var/cache/dialer-setup-no-wine32
for p in "${packages[@]}"; do
    # wine32 is an i386 package; dpkg reports it with its architecture.
    q=$p; [ "$p" = wine32 ] && q=wine32:i386
    [ "$p" = wine32 ] && [ -e "$no_wine32" ] && continue
    dpkg-query -W -f='${Status}' "$q" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then dpkg --add-architecture i386; fi
    export DEBIAN_FRONTEND=noninteractive
    # A mirror caught mid-sync fails a list now and then: try again, and go on with what was
    # fetched, since the install says plainly whether a package is missing.
    for attempt in 1 2 3; do
        apt-get update -q && break
        echo "setup: package lists incomplete (attempt $attempt)"
        sleep 15
    done
    if ! apt-get install -y -q --no-install-recommends "${missing[@]}"; then
        # Without the 32-bit lists the tests still run the 64-bit build (tools/wine/arch).
        echo "setup: installing again without the 32-bit Wine"
        rest=()
        for p in "${missing[@]}"; do [ "$p" = wine32 ] || rest+=("$p"); done
        apt-get install -y -q --no-install-recommends "${rest[@]}"
        touch "$no_wine32"
    fi
fi
# A machine that cannot run 32-bit x86 code runs the 32-bit subclass thunk's test under an
# emulator (tools/run-i386).
if [ "$(DIALER_WINEARCH= bash "$(dirname "$0")/wine/arch")" = win64 ] && ! command -v qemu-i386 >/dev/null; then
    echo "setup: installing qemu-user"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends qemu-user
fi
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
    echo "setup: generating zh_CN.UTF-8"
    sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi
