#!/usr/bin/env bash
# Builds the program and runs it under Wine with the device simulator standing in for the
# telephone-line device: COM1 cannot be opened, COM2 stays silent, COM3 holds the device.
# On a machine without a display it runs on a virtual one and saves a screenshot.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
build=${DIALER_BUILD:-$top/build}
bash tools/build.sh

export DIALER_WINE_DIR=$build/wine DIALER_HOST_TOOLS=$build/host/bin
log=$build/device.log
echo "device log: $log"
exec bash tools/devsim/with-devsim --log "$log" COM1=missing COM2=silent COM3=device \
    -- "$build/win/bin/commdemo.exe" "${1:-13800138000}"
