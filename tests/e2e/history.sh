# The history keys walk the numbers dialled since the window was last shown, newest first on
# "+"; after the window is shown again they start from the newest dial.
. "$DIALER_SOURCE/tests/e2e/lib.sh"
start_linked
for number in 11 22 33; do
    type_keys "$number"
    press_key Return
    sleep 2.2
    press_key space
done
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
type_keys 44
press_key Return
sleep 2.2
press_key space
press_key KP_Add
display_is "44"
press_key KP_Add
display_is "44"
finish
