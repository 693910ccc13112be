# A port that opens but is no terminal comes before the device's: the walk passes over it
# without a word of English and links to COM2. Then the device floods the line with random
# answers, rings and noise (20 events a second): no more than one "设备连接正常！" box is open at
# a time, and once the flood is over and that box is closed, a dial goes out at once. Then a
# real XOFF from the device: Reset and a new search for the device still get through.
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

# The device's last flow character is a real XOFF, and our output is held. A dial then reaches
# the device with the Reset that follows, before the hang-up; a new dial arrives whole.
press_key space
devsim_wait COM2 10 3000
devsim_cmd "clear COM2" >/dev/null
devsim_cmd "send COM2 13" >/dev/null
type_keys '34'
press_key Return
devsim_wait COM2 1 2500 && fail "a dial went out through an XOFF" || pass "an XOFF holds the dial"
press_key space
devsim_wait COM2 8 3000
check "the held dial, then the hang-up" "AaDcDdCa" "$(commands COM2)"
devsim_cmd "clear COM2" >/dev/null
type_keys '56'
press_key Return
devsim_wait COM2 6 4000
check "a new dial after the Reset" "AaDeDf" "$(commands COM2)"

# Reopening the port keeps a hold: a search for the device after an XOFF still probes.
press_key space
devsim_wait COM2 8 3000
devsim_cmd "send COM2 13" >/dev/null
press_key grave
msgbox_is "设备连接正常！" 15000
finish
