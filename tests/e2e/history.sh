# The history keys walk the numbers dialled since the window was last shown, newest first on
# "+"; after the window is shown again they start from the newest dial.
. "$DIALER_SOURCE/tests/e2e/lib.sh"
start_linked
# Each dial is "Aa" and two digits, each Reset "Ca": the device's count says when one is done.
dial_and_reset() { # dial_and_reset NUMBER (two digits)
    type_keys "$1"
    press_key Return
    received=$((received + 6))
    devsim_wait COM2 $received 4000 || fail "dial of $1 incomplete"
    press_key space
    received=$((received + 2))
    devsim_wait COM2 $received 2000 || fail "no reset after $1"
}
devsim_cmd "clear COM2" >/dev/null
received=0
for number in 11 22 33; do dial_and_reset "$number"; done
press_key KP_Subtract
display_is ""
for expected in 33 22 11 11; do
    press_key KP_Add
    display_is "$expected"
done
# Shown again: counters restart, the port walk runs again.
probe hide TFmain
probe show TFmain
msgbox_is "设备连接正常！" 15000
devsim_cmd "clear COM2" >/dev/null
received=0
dial_and_reset 44
press_key KP_Add
display_is "44"
press_key KP_Add
display_is "44"
finish
