#!/usr/bin/env bash
# Idle cost of the dialer linked to its device: CPU time of its process over 60 s, in percent
# of one core, and the key-press-to-"Ca" delay. Run under with-devsim with COM2=device:
#   DIALER_WINE_DIR=build/wine DIALER_HOST_TOOLS=build/host/bin DIALER_BIN=build/win32/bin \
#   DIALER_SOURCE=$PWD tools/devsim/with-devsim COM2=device -- bash bench/app/idle.sh
. "$DIALER_SOURCE/tests/e2e/lib.sh"
start_linked
pid=$(pgrep -f 'dialer.exe' | while read -r p; do [ "$(cat /proc/$p/comm)" = dialer.exe ] && echo "$p"; done | head -1)
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
seconds=${IDLE_SECONDS:-60}
t0=$(ticks)
sleep "$seconds"
t1=$(ticks)
awk -v d=$((t1 - t0)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "idle CPU over %d s: %.2f%% of one core\n", s, 100 * d / hz / s }'

delays=()
for _ in 1 2 3 4 5 6 7; do
    devsim_cmd "clear COM2" >/dev/null
    devsim_cmd "rx COM2" >/dev/null
    focus_dialer
    sent=$(date +%s%3N)
    xdotool key space
    devsim_wait COM2 2 3000
    got=$(date +%s%3N)
    delays+=($((got - sent)))
done
printf '%s\n' "${delays[@]}" | sort -n | awk '{ a[NR] = $1 } END { printf "key press to \"Ca\" at the device: median %d ms (%d presses, includes xdotool and the control channel)\n", a[int((NR + 1) / 2)], NR }'
finish
