#!/usr/bin/env bash
# Installs what building, running and testing need on a Debian machine (as root).
# Quick when everything is already there.
set -eu
packages=(wine wine32 wine64 mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix cmake ninja-build googletest
    clang libclang-rt-14-dev xvfb xauth x11-apps x11-utils xdotool imagemagick
    fonts-wqy-microhei fonts-wine locales procps valgrind)
missing=()
for p in "${packages[@]}"; do
    # wine32 is an i386 package; dpkg reports it with its architecture.
    q=$p; [ "$p" = wine32 ] && q=wine32:i386
    dpkg-query -W -f='${Status}' "$q" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then dpkg --add-architecture i386; fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
    echo "setup: generating zh_CN.UTF-8"
    sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi
