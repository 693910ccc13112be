# The first showing walks the ports in registry order (COM1, COM10, COM2), keeps the one the
# device answers on, and shows it in the port box.
. "$DIALER_SOURCE/tests/e2e/lib.sh"
start_dialer
status_is "连接设备..."
msgbox_is "设备连接正常！" 15000
COM10=$(rx_times COM10 | awk '$2 == "CA" { print $1; exit }')
COM2=$(rx_times COM2 | awk '$2 == "CA" { print $1; exit }')
[ -n "$COM10" ] && pass "the silent COM10 was probed" || fail "COM10 never probed"
[ -n "$COM2" ] && pass "COM2 was probed" || fail "COM2 never probed"
awk -v a="$COM10" -v b="$COM2" 'BEGIN { exit !(a < b) }' && pass "COM10 before COM2" ||
    fail "probe order: COM10 at $COM10, COM2 at $COM2"
# The port box names the port once the answer deadline has passed (200 ms after the probe).
wait_text "port box" "COM2" 2000 TRzComboBox
# The port box turns light magenta ($00FF80FF) once the box is closed; a point right of its
# text shows the colour.
read -r bx by <<<"$(probe screen | awk '{ sub(/^ +/, "") } /^TRzComboBox / { n = split($0, f, " "); print f[n-4] + 36, f[n-3] + 6; exit }')"
pixel_is "port box colour" "srgb(255,128,255)" "$bx" "$by" 3000
# The linked port stays open: the device speaks again and the dialer hears it.
devsim_cmd "send COM2 4341" >/dev/null
msgbox_is "设备连接正常！"
check "no message box left" "" "$(probe msgbox 300)"
# The skinned port box still drops down and selects: opened and chosen by mouse (the first
# port), then moved on by keyboard (the next one).
read -r px py pw ph <<<"$(probe screen | awk '{ sub(/^ +/, "") } /^TRzComboBox / { n = split($0, f, " "); print f[n-4], f[n-3], f[n-2], f[n-1]; exit }')"
focus_dialer
xdotool mousemove $((px + pw - 6)) $((py + ph / 2)) click 1
probe shown ComboLBox 3000 && pass "port box dropped down" || fail "port box list never showed"
xdotool mousemove $((px + 15)) $((py + ph + 8)) click 1
wait_text "port box chosen by mouse" "COM1" 2000 TRzComboBox
xdotool key --delay 60 Down
wait_text "port box moved on by keyboard" "COM10" 2000 TRzComboBox
finish
