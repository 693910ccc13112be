#!/usr/bin/env bash
# Looks at both desktop components from outside, on the X screen: the docked and hidden form
# must leave exactly a 3-pixel strip at the top edge, the tray icon must show in Wine's own tray
# window, a real click on it must take the program into the tray and a real double click bring
# it back. Screenshots are kept in the build folder (desktop-strip.png, desktop-tray.png).
# Needs DIALER_WINE_DIR, DIALER_BIN and DIALER_SOURCE (the CTest set-up gives them).
set -u
winenv="$DIALER_SOURCE/tools/wine/winenv"
eval "$("$winenv" --dir "$DIALER_WINE_DIR" env)"
out=$DIALER_BIN/..
work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${demo:-}" ] && kill "$demo" 2>/dev/null; wait 2>/dev/null' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# Waits (up to 30 s) until the demo wrote the given state.
state() {
    for _ in $(seq 1 300); do
        [ "$(cat "$work/state" 2>/dev/null)" = "$1" ] && return 0
        sleep 0.1
    done
    return 1
}
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
shot() { xwd -root -silent -display "$DISPLAY" | convert xwd:- "png:$1"; }

# This check looks at the X screen. Wine maps and unmaps the windows it keeps to itself (the
# test prefix's choice, see tools/wine/winenv) at other moments than those it hands to a window
# manager: the demo's stay managed, as they always were here.
wine reg add 'HKCU\Software\Wine\AppDefaults\desktop_demo.exe\X11 Driver' /v Managed /d Y /f \
    >/dev/null 2>&1 </dev/null
"$winenv" --dir "$DIALER_WINE_DIR" exec "$DIALER_BIN/desktop_demo.exe" "Z:${work//\//\\}\\state" 60 \
    >"$work/demo.out" 2>&1 &
demo=$!
state ready || { fail "the demo did not get ready: $(cat "$work/demo.out")"; exit 1; }
shot "$out/desktop-strip.png"

# The form is 246 pixels wide at left 500: rows 0-2 show its bottom edge, row 3 is the screen.
strip_ok=1
for x in 500 620 745; do
    for y in 0 1 2; do
        [ "$(pixel "$out/desktop-strip.png" $x $y)" = 0,0,0 ] && strip_ok=0
    done
    [ "$(pixel "$out/desktop-strip.png" $x 3)" = 0,0,0 ] || strip_ok=0
done
[ "$(pixel "$out/desktop-strip.png" 499 1)" = 0,0,0 ] || strip_ok=0
[ "$(pixel "$out/desktop-strip.png" 746 1)" = 0,0,0 ] || strip_ok=0
if [ $strip_ok = 1 ]; then pass "a 3-pixel strip of the form at the top edge"; else fail "no 3-pixel strip"; fi

tray=$(xdotool search --onlyvisible --name 'Wine System Tray' 2>/dev/null | head -1)
[ -n "$tray" ] || { fail "no Wine tray window"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$tray")"
convert "$out/desktop-strip.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/desktop-tray.png"
# The demo's icon is a red disc on green: find the disc inside the tray window.
red=$(convert "$out/desktop-tray.png" txt:- | grep -m1 -i '#FF0000' | cut -d: -f1)
green=$(convert "$out/desktop-tray.png" txt:- | grep -c -i '#00C800')
if [ -n "$red" ] && [ "$green" -gt 0 ]; then pass "the icon shows in the tray window"; else fail "icon not in the tray window"; exit 1; fi
ix=$((X + ${red%,*} + 1)) iy=$((Y + ${red#*,} + 2))

# A click: the demo's OnClick minimises the application, which goes into the tray.
xdotool mousemove "$ix" "$iy" click 1
if state intray; then pass "a click on the icon took the program into the tray"; else fail "not in the tray after a click"; fi
if [ -z "$(xdotool search --onlyvisible --name '电脑拨号' 2>/dev/null)" ]; then
    pass "the form is off the screen"
else
    fail "the form still shows"
fi
xdotool mousemove "$ix" "$iy" click --repeat 2 --delay 80 1
if state restored; then pass "a double click brought the form back (OnShow ran)"; else fail "no restore"; fi
# OnShow runs as the form is being shown; the X server maps its window a moment later.
shown() {
    for _ in $(seq 1 50); do
        [ -n "$(xdotool search --onlyvisible --name '电脑拨号' 2>/dev/null)" ] && return 0
        sleep 0.1
    done
    return 1
}
shown && pass "the form shows again" || fail "the form is still away"

kill "$demo" 2>/dev/null
wait "$demo" 2>/dev/null
demo=
[ $failures = 0 ]
