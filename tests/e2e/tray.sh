# A click on the tray icon sends the dialer into the notification area; a double click brings
# it back, and showing it again runs the port walk anew.
. "$DIALER_SOURCE/tests/e2e/lib.sh"
start_linked
tray=$(xdotool search --onlyvisible --name 'Wine System Tray' 2>/dev/null | head -1)
[ -n "$tray" ] && pass "tray window" || { fail "no tray window"; finish; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$tray")"
# Our icon is the only one: the first icon place, under the tray window's caption.
ix=$((X + 13)) iy=$((Y + HEIGHT - 13))
devsim_cmd "clear COM2" >/dev/null
# Wine's tray takes a click only with the pointer settled on the icon and the button held a
# moment, as a hand does.
press() { xdotool mousedown 1 sleep 0.1 mouseup 1; }
xdotool mousemove --sync "$ix" "$iy"
sleep 0.3
press
# Hiding a window takes Wine a while without a window manager.
for _ in $(seq 50); do [ -z "$(dialer_xid)" ] && break; sleep 0.1; done
[ -z "$(dialer_xid)" ] && pass "a click hid the window in the tray" || fail "the window is still shown"
probe tree >/dev/null && pass "the program still runs" || fail "the program ended"
# The double click must not start from the hiding click: the system pairs presses less than the
# double-click time apart within a few pixels, which would make the hiding click and the first
# press one double click and the second press a single click that hides the window again. A
# pointer moved out of that square (still on the icon) keeps them apart whatever the timing.
xdotool mousemove --sync "$((ix + 3))" "$iy"
sleep 0.3
tray_double_click
for _ in $(seq 50); do [ -n "$(dialer_xid)" ] && break; sleep 0.1; done
[ -n "$(dialer_xid)" ] && pass "the window is back" || fail "the window stayed away"
check "the display was cleared by the showing" "" "$(control_text TRzEdit)"
msgbox_is "设备连接正常！" 15000
check "the device was probed again" "CA" "$(commands COM2)"
finish
