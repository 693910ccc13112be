#!/usr/bin/env bash
# An accelerated day of use: the dialer under Wine beside the device simulator.
#
#   bash tools/soak.sh MINUTES        (after bash tools/build.sh)
#
# The run goes in rounds (a minute each; half a minute in a one-minute run). For all but the
# last 10 s of a round the device sends 70 events a second: probe answers, rings, line noise with
# real XON and XOFF bytes, and answers split across two reads; meanwhile the user sends the
# window to the notification area and brings it back, and, after every third trip, closes the
# box and dials, hangs up, searches for the device or waits for a split answer. In the quiet rest
# of the round the user searches for the device again, docks the window at the top edge, lets it
# slide away and back and drags it off the edge (ten times; twice in a one-minute run), presses
# Reset and leaves the pointer aside; then the program's live counts are read (it writes them
# every 2 s when DIALER_COUNTS_FILE names a file): one line per round. The run passes when a
# dial after the last Reset reaches the device whole and the counts after the last round equal
# those after the first: exactly, but for the heap blocks beyond the history of dialled numbers
# (which grows by design), where two may differ.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
minutes=${1:-}
case $minutes in '' | *[!0-9]* | 0) echo "usage: tools/soak.sh MINUTES" >&2; exit 2 ;; esac

# Run by hand: bring the simulator up around this same script, on the build's Wine environment.
if [ -z "${DEVSIM_CONTROL_PORT:-}" ]; then
    build=${DIALER_BUILD:-$top/build}
    # A Wine environment of its own: a long run must not share one with a test run.
    export DIALER_WINE_DIR=${DIALER_WINE_DIR:-$build/soak/wine}
    # The program of the tree the tests run on: the architecture this machine's Wine runs.
    tree=$(bash "$top/tools/wine/arch")
    export DIALER_BIN=${DIALER_BIN:-$build/$tree/bin} DIALER_HOST_TOOLS=${DIALER_HOST_TOOLS:-$build/host/bin}
    export DIALER_SOURCE=$top WINENV_XVFB=${WINENV_XVFB:-1}
    winenv=$top/tools/wine/winenv
    was_up=0
    [ -f "$DIALER_WINE_DIR/server.up" ] && was_up=1
    bash "$top/tools/devsim/with-devsim" --log "$DIALER_WINE_DIR/soak.devsim.log" COM2=device -- \
        bash "$0" "$@"
    rc=$?
    [ $was_up = 1 ] || "$winenv" --dir "$DIALER_WINE_DIR" stop
    exit $rc
fi

. "$DIALER_SOURCE/tests/e2e/lib.sh"
counts_file=$(mktemp /tmp/dialer-counts.XXXXXX)
# Wine sees the Linux file system as drive Z:.
export DIALER_COUNTS_FILE="Z:${counts_file//\//\\}"
trap 'rm -f "$counts_file" "$counts_file.new"' EXIT

round=60 docks=10
[ "$minutes" -lt 2 ] && round=30 docks=2
rounds=$((minutes * 60 / round))
events_per_second=70
actions=0 dials=0 resets=0 searches=0 tray_cycles=0 dock_cycles=0 splits=0 events=0

# The live counts once the program has written them afresh (it does every 2 s).
fresh_counts() {
    local before
    before=$(stat -c %y "$counts_file" 2>/dev/null)
    for _ in $(seq 100); do
        [ "$(stat -c %y "$counts_file" 2>/dev/null)" != "$before" ] && [ -s "$counts_file" ] && break
        sleep 0.05
    done
    tr -d '\r\n' <"$counts_file"
}

# What the screen and the program's windows look like when something did not come through.
look() {
    local name=$DIALER_WINE_DIR/soak-${1//[^a-z0-9]/-}
    "$DIALER_SOURCE/tools/wine/screenshot" --dir "$DIALER_WINE_DIR" "$name.png" 2>/dev/null
    { probe screen; probe msgbox 100; xdotool getwindowfocus getwindowname; } >"$name.txt" 2>&1
    echo "soak: $1 did not come through: see $name.png and $name.txt"
}

# Counts that two writes in a row agree on: what a moment in flight holds is not counted.
steady_counts() {
    local last now
    last=$(fresh_counts)
    for _ in $(seq 10); do
        now=$(fresh_counts)
        [ "$now" = "$last" ] && break
        last=$now
    done
    echo "$now"
}

close_boxes() { while probe press 300 >/dev/null 2>&1; do :; done; }

# Without a window manager nothing activates a window the tray brought back when the X focus
# moves to it; a click into it does, as it would for a user. The click lands on the keypad's
# group box beside the keys, which takes no focus (a click on the caption would start a move).
activate() {
    local left top width height
    read -r left top width height <<<"$(window_rect)"
    [ -n "$height" ] && xdotool mousemove --sync "$((left + 10))" "$((top + 150))" click 1
}

window_rect() { probe screen | head -1 | awk '{ n = NF; print $(n-4), $(n-3), $(n-2), $(n-1) }'; }

# Moves the pointer and waits for the move to land; fails when the pointer was there already.
# xdotool's wait is for the pointer to leave where it was, so a move to where it already is
# would wait out its 15 s limit.
point_at() { # point_at X Y
    local at
    at=$(xdotool getmouselocation 2>/dev/null | awk '{ sub("x:", "", $1); sub("y:", "", $2); print $1, $2 }')
    [ "$at" != "$1 $2" ] && xdotool mousemove --sync "$1" "$2"
}

# A click on the tray icon sends the window to the notification area, a double click brings
# it back.
tray_icon() { # tray_icon CLICKS
    local tray x y
    tray=$(xdotool search --onlyvisible --name 'Wine System Tray' 2>/dev/null | head -1)
    [ -n "$tray" ] || return 1
    read -r x y < <(xdotool getwindowgeometry --shell "$tray" |
        awk -F= '{ v[$1] = $2 } END { print v["X"] + 13, v["Y"] + v["HEIGHT"] - 13 }')
    # Wine's tray takes a click only with the pointer settled on the icon and the button held
    # a moment, as a hand does.
    point_at "$x" "$y" && sleep 0.3
    if [ "$1" = 2 ]; then tray_double_click; else xdotool mousedown 1 sleep 0.1 mouseup 1; fi
}

# Wine's tray takes two clicks within the double-click time (500 ms) for a double click: the
# double click that brings the window back waits that long after the click that hid it, or its
# first click would pair with that one and its second hide the window again.
tray_cycle() {
    tray_icon 1 || return 1
    local clicked=$EPOCHREALTIME
    for _ in $(seq 30); do [ -z "$(dialer_xid)" ] && break; sleep 0.05; done
    [ -z "$(dialer_xid)" ] || return 1
    sleep "$(awk -v c="$clicked" -v n="$EPOCHREALTIME" 'BEGIN { d = c + 0.6 - n; print (d > 0 ? d : 0) }')"
    tray_icon 2
    for _ in $(seq 60); do [ -n "$(dialer_xid)" ] && return 0; sleep 0.05; done
    return 1
}

# After a cycle that went wrong, the window is brought back for the quiet part.
ensure_shown() {
    for _ in 1 2 3; do
        [ -n "$(dialer_xid)" ] && return 0
        close_boxes
        tray_icon 2
        for _ in $(seq 30); do [ -n "$(dialer_xid)" ] && return 0; sleep 0.1; done
    done
    return 1
}

# Drags the window by its caption to the top edge, moves the pointer away (the window slides
# out of sight), touches the strip left on screen (it slides back) and drags it down again.
dock_cycle() {
    local left top width height x docked
    read -r left top width height <<<"$(window_rect)"
    [ -n "$height" ] || return 1
    x=$((left + width / 3))
    point_at "$x" "$((top + 8))"
    xdotool mousedown 1 mousemove --sync "$x" 60 mousemove --sync "$x" 4 mouseup 1
    xdotool mousemove --sync "$x" 600
    docked=1
    for _ in $(seq 40); do read -r _ top _ _ <<<"$(window_rect)"; [ "${top:-0}" -lt 0 ] && break; sleep 0.1; done
    [ "${top:-0}" -lt 0 ] || docked=0
    xdotool mousemove --sync "$x" 1
    for _ in $(seq 40); do read -r _ top _ _ <<<"$(window_rect)"; [ "${top:--1}" -ge 0 ] && break; sleep 0.1; done
    point_at "$x" "$((top + 8))"
    xdotool mousedown 1 mousemove --sync "$x" 100 mousemove --sync "$x" 300 mouseup 1
    [ $docked = 1 ]
}

# One user action during the flood. The device's answers keep a "设备连接正常！" box open
# nearly all the time, and the window under a modal box takes no keys or drags: the user closes
# the box first, and the keys get through when no new answer came in between. The tray icon
# answers whatever is open, so three actions in four are a trip to the notification area and
# back.
act() {
    actions=$((actions + 1))
    if [ $(($1 % 4)) != 3 ]; then
        tray_cycle && tray_cycles=$((tray_cycles + 1))
        return
    fi
    probe press 200 >/dev/null 2>&1
    activate
    case $(($1 / 4 % 4)) in
    0) type_keys "$((RANDOM % 900 + 100))"; press_key Return; dials=$((dials + 1)) ;;
    1) press_key space; resets=$((resets + 1)) ;;
    2) press_key grave; searches=$((searches + 1)) ;;
    3) devsim_cmd "send COM2 43" >/dev/null; devsim_cmd "send COM2 41 50" >/dev/null
       splits=$((splits + 1)) ;;
    esac
}

start_linked || { finish; exit 1; }
echo "soak: $minutes minute(s), $rounds round(s) of $round s, $events_per_second device events a second"
first_counts= last_counts= step=0 started=$SECONDS
for r in $(seq "$rounds"); do
    flood=$((round - 10))
    every_ms=$((1000 / events_per_second))
    n=$((flood * 1000 / every_ms))
    devsim_cmd "sendevents COM2 $n $every_ms $r flow" >/dev/null
    events=$((events + n))
    end=$((SECONDS + flood))
    while [ $SECONDS -lt $end ]; do act $step; step=$((step + 1)); sleep 0.1; done
    # The rest of the round is quiet. The flood may have cost the link (a probe answer lost in
    # noise ends a search without a device): the user searches again, closes the box, presses
    # Reset and leaves the pointer aside while the status line's tick clears it.
    while [ $SECONDS -lt $((end + 1)) ]; do sleep 0.2; done
    close_boxes
    ensure_shown || fail "round $r: the window did not come back from the tray"
    close_boxes
    click_button COM
    before=$failures
    msgbox_is "设备连接正常！" 15000
    [ "$failures" = "$before" ] || look "round $r search"
    close_boxes
    # Docking needs a window that takes the mouse: it is the quiet part's to do.
    for _ in $(seq "$docks"); do dock_cycle && dock_cycles=$((dock_cycles + 1)); done
    devsim_cmd "clear COM2" >/dev/null
    click_button Reset
    devsim_wait COM2 2 3000 || { fail "round $r: Reset did not reach the device"; look "round $r reset"; }
    xdotool mousemove --sync 1100 900
    sleep 3.2
    counts=$(steady_counts)
    # The history of dialled numbers grows by design, one heap block a line: what is
    # compared is the heap beyond it, apart from the other counts.
    compared=$(awk '{ for (i = 1; i <= NF; ++i) { split($i, f, "=")
            if (f[1] != "heap" && f[1] != "history") printf "%s ", $i } }' <<<"$counts")
    heap=$(awk '{ for (i = 1; i <= NF; ++i) { split($i, f, "="); v[f[1]] = f[2] }
        print v["heap"] - v["history"] }' <<<"$counts")
    [ -n "$first_counts" ] || { first_counts=$compared first_heap=$heap; }
    last_counts=$compared last_heap=$heap
    printf 'round %d (%d s): %s | events %d actions %d dials %d resets %d searches %d tray %d dock %d split %d\n' \
        "$r" "$((SECONDS - started))" "$counts" "$events" "$actions" "$dials" "$resets" "$searches" \
        "$tray_cycles" "$dock_cycles" "$splits"
done

devsim_cmd "clear COM2" >/dev/null
activate
type_keys 1234
press_key Return
devsim_wait COM2 10 6000
check "a dial after the last Reset" "AaDaDbDcDd" "$(commands COM2)"
check "counts after the last round equal those after the first" "$first_counts" "$last_counts"
# A long-lived string or list that grows past its capacity once keeps a bigger block: a block
# or two may come and stay, while a leak grows with every action of the run.
[ $((last_heap - first_heap)) -le 2 ] && [ $((last_heap - first_heap)) -ge -2 ] &&
    pass "heap blocks beyond the history: $first_heap after the first round, $last_heap after the last" ||
    fail "heap blocks beyond the history: $first_heap after the first round, $last_heap after the last"
[ $tray_cycles -gt 0 ] && pass "$tray_cycles tray cycles" || fail "no tray cycle came through"
[ $dock_cycles -gt 0 ] && pass "$dock_cycles dock cycles" || fail "no dock cycle came through"
finish
