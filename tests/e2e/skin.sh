# The dialer wears its skin: a shaped, skinned frame and message boxes in the skin's dialog
# frame; the skin's own caption buttons work under real clicks (minimise into the tray, close
# ends the program), a right click on the caption opens the system menu, and a caption drag
# still docks the window at the top edge of the screen.
. "$DIALER_SOURCE/tests/e2e/lib.sh"
start_dialer || { finish; exit 1; }
check "the message box wears the skin" "1" "$(probe skinned box 15000)"
msgbox_is "设备连接正常！" 5000
check "the window wears the skin" "1" "$(probe skinned TFmain)"
check "the client area keeps its size" "topmost nomaximizebox client 240 206" \
    "$(probe style TFmain | paste -sd' ')"

# Where the window is: left top width height on the screen.
window_rect() { probe screen | head -1 | awk '{ n = split($0, f, " "); print f[n-4], f[n-3], f[n-2], f[n-1] }'; }
read -r wx wy ww wh <<<"$(window_rect)"
check "the skin's frame around the client area" "246 238" "$ww $wh"
shot=${DEVSIM_LOG%.devsim.log}-skin.png
"$DIALER_SOURCE/tools/wine/screenshot" --dir "$DIALER_WINE_DIR" "$shot"
# The skin's rounded corners leave the desktop (black) showing; the caption strip does not.
corner=$(convert "$shot" -format "%[pixel:p{$wx,$wy}]" info:)
middle=$(convert "$shot" -format "%[pixel:p{$((wx + ww / 2)),$((wy + 2))}]" info:)
check "the window's corner is cut away" "srgb(0,0,0)" "$corner"
[ "$middle" != "srgb(0,0,0)" ] && pass "the caption strip is drawn ($middle)" || fail "no caption strip"

# A right click on the caption opens the system menu; Escape closes it.
xdotool mousemove --sync $((wx + 120)) $((wy + 14)) click 3
probe menu 3000 >/dev/null && pass "the system menu opened" || fail "no system menu"
xdotool key Escape
for _ in $(seq 30); do probe menu 0 >/dev/null || break; sleep 0.1; done
probe menu 0 >/dev/null && fail "the system menu stayed" || pass "the system menu closed"

# A caption drag to the top edge docks the window there; once the pointer leaves, it slides
# up leaving its strip.
xdotool mousemove --sync $((wx + 120)) $((wy + 14)) mousedown 1
for step in 1 2 3 4 5 6; do xdotool mousemove --sync $((wx + 120)) $((wy + 14 - step * wy / 6)); sleep 0.05; done
xdotool mousemove --sync $((wx + 120)) 2 mouseup 1
read -r _ dy _ _ <<<"$(window_rect)"
check "the drag docked the window at the top" "0" "$dy"
xdotool mousemove --sync 700 700
for _ in $(seq 50); do read -r _ hy _ _ <<<"$(window_rect)"; [ "$hy" -lt 0 ] && break; sleep 0.1; done
check "docked, it hides leaving its strip" "$((3 - wh))" "$hy"
xdotool mousemove --sync $((wx + 120)) 1
for _ in $(seq 50); do read -r _ hy _ _ <<<"$(window_rect)"; [ "$hy" -eq 0 ] && break; sleep 0.1; done
check "the strip brings it back" "0" "$hy"
read -r wx wy ww wh <<<"$(window_rect)"

# The skin's minimise button sends the window into the notification area.
xdotool mousemove --sync $((wx + ww - 73 + 10)) $((wy + 15)) sleep 0.2 click 1
for _ in $(seq 50); do [ -z "$(dialer_xid)" ] && break; sleep 0.1; done
[ -z "$(dialer_xid)" ] && pass "minimised into the tray" || fail "the window is still shown"
probe tree >/dev/null && pass "the program still runs" || fail "the program ended"
tray=$(xdotool search --onlyvisible --name 'Wine System Tray' 2>/dev/null | head -1)
eval "$(xdotool getwindowgeometry --shell "$tray")"
xdotool mousemove --sync $((X + 13)) $((Y + HEIGHT - 13))
sleep 0.3
tray_double_click
for _ in $(seq 50); do [ -n "$(dialer_xid)" ] && break; sleep 0.1; done
[ -n "$(dialer_xid)" ] && pass "back from the tray" || fail "the window stayed away"
msgbox_is "设备连接正常！" 15000
check "still skinned after the tray" "1" "$(probe skinned TFmain)"

# The skin's close button ends the program.
read -r wx wy ww wh <<<"$(window_rect)"
xdotool mousemove --sync $((wx + ww - 25 + 10)) $((wy + 15)) sleep 0.2 click 1
wait "$dialer_pid" && pass "the close button ended the program" || fail "the program did not end"
dialer_pid=
finish
