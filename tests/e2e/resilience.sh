# A port that opens but is no terminal comes before the device's: the walk passes over it
# without a word of English and links to COM2. Then the device floods the line with random
# answers, rings and noise (20 events a second): no more than one "设备连接正常！" box is open at
# a time, and once the flood is over and that box is closed, a dial goes out at once.
. "$DIALER_SOURCE/tests/e2e/lib.sh"
start_dialer
msgbox_is "设备连接正常！" 15000
check "no other message box" "" "$(probe msgbox 300)"
check "port box" "COM2" "$(control_text TRzComboBox)"

devsim_cmd "sendevents COM2 60 50 7" >/dev/null
check "message boxes open at once during the flood" 1 "$(probe boxes 4000)"
msgbox_is "设备连接正常！"
check "no box left after the flood" "" "$(probe msgbox 500)"

devsim_cmd "clear COM2" >/dev/null
press_key space
type_keys '12'
press_key Return
devsim_wait COM2 4 1000 && pass "hung up and off hook at once" || fail "the dialer did not take the keys at once"
devsim_wait COM2 8 3000
check "commands after the flood" "CaAaDaDb" "$(commands COM2)"
finish
