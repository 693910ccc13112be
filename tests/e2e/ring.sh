# A ring "R" opens a 6000 ms window in which Enter answers (and answering ends it); a second
# ring 4000 ms later does not lengthen a window. Tolerance: the check after the window is made
# 700 ms past its end.
. "$DIALER_SOURCE/tests/e2e/lib.sh"
start_linked
devsim_cmd "clear COM2" >/dev/null
watch_status 3000
devsim_cmd "send COM2 52" >/dev/null
status_seen "有来电..." 2500 || fail "the ring was not reported"
press_key Return
devsim_wait COM2 2 3000
check "Enter answers the ring" "Aa" "$(commands COM2)"
saw_status "有来电..." "接听中..."
press_key space
devsim_wait COM2 4 3000
devsim_cmd "clear COM2" >/dev/null

# The device rings twice, 4000 ms apart; the window closes 6000 ms after the first.
start=$(date +%s%3N)
devsim_cmd "send COM2 52" >/dev/null
devsim_cmd "send COM2 52 4000" >/dev/null
sleep $(awk -v s="$start" -v n="$(date +%s%3N)" 'BEGIN { print (6700 - (n - s)) / 1000 }')
watch_status 1500
press_key Return
saw_status "请输入号码..."
check "the ring window closed 6000 ms after the first ring" "" "$(commands COM2)"
finish
