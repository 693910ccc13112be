#!/usr/bin/env bash
# Builds the dialer and runs it under Wine with the device simulator as the telephone-line
# device: COM1 is listed but cannot be opened, COM10 stays silent, COM2 holds the device, so
# the port walk shows its whole road. On the user's display when there is one; otherwise on a
# virtual display, saving a screenshot once the device is found. The device's log (every byte
# it receives and sends, with times and what the bytes mean) is build/device.log.
#
#   bash tools/run.sh                 the dialer with the simulated device
#   bash tools/run.sh --demo          the console walk-through of the serial link instead
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
build=${DIALER_BUILD:-$top/build}
bash tools/build.sh

# The program of the architecture this machine's Wine runs (both are built).
export DIALER_WINE_DIR=$build/wine DIALER_HOST_TOOLS=$build/host/bin
export DIALER_BIN=$build/$(bash tools/wine/arch)/bin
export DIALER_SOURCE=$top
log=$build/device.log
echo "device log: $log"
if [ "${1:-}" = --demo ]; then
    exec bash tools/devsim/with-devsim --log "$log" COM1=missing COM10=silent COM2=device \
        -- "$DIALER_BIN/commdemo.exe" "${2:-13800138000}"
fi
exec bash tools/devsim/with-devsim --log "$log" COM1=missing COM10=silent COM2=device \
    -- bash tools/wine/run-dialer "$build/dialer.png"
