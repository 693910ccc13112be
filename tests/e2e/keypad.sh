# Clicks on the on-screen keys put digits on the display; a bad character typed into the
# display becomes a space with "输入有误！", and a later click clears it with "输入错误！".
. "$DIALER_SOURCE/tests/e2e/lib.sh"
start_linked
for key in 1 2 3; do click_button "$key"; done
display_is "123"
watch_status 1500
type_keys 'x'
saw_status "输入有误！"
display_is "123"
# Into the display itself: a letter between two digits is left as a space.
display=$(probe screen | awk '{ line = $0; sub(/^ +/, "", line) } index(line, "TRzEdit \"123\"") == 1 { n = split(line, f, " "); print f[n-4] + f[n-2] - 10, f[n-3] + f[n-1] / 2; exit }')
xdotool mousemove --sync $display click 1
press_key End Left
xdotool type 'a'
display_is "12 3"
click_button 4
msgbox_is "输入错误！"
display_is ""
finish
