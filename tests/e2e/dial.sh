# Dialling from the keyboard: "Aa" at once, the digits 1200 ms later and 360 ms apart; Reset,
# repeated Enter, digits into a call, a reply that frees the line, and an empty Enter.
# Tolerances: ±80 ms on the 1200 ms wait and ±50 ms on each 360 ms step, measured at the
# device (they include the pseudo-terminal and the simulator's read).
. "$DIALER_SOURCE/tests/e2e/lib.sh"
start_linked
devsim_cmd "clear COM2" >/dev/null

type_keys '12#'
display_is "12#"
watch_status 3500
press_key Return
devsim_wait COM2 8 5000
times=$(rx_times COM2 | tail -4)
echo "$times"
check "commands of a dial" "AaDaDbDl" "$(commands COM2)"
read -r ta tda tdb tdl <<<"$(echo "$times" | awk '{ printf "%s ", $1 }')"
near "first digit after off hook" "$(awk -v a="$ta" -v b="$tda" 'BEGIN { print b - a }')" 1200 80
near "second digit" "$(awk -v a="$tda" -v b="$tdb" 'BEGIN { print b - a }')" 360 50
near "third digit" "$(awk -v a="$tdb" -v b="$tdl" 'BEGIN { print b - a }')" 360 50
saw_status "拨号中..." "通信中"
check "history line" "12#" "$(control_text TMemo)"

# Reset frees the line; a Reset within the 1200 ms wait sends "Ca" and no digit.
press_key space
devsim_wait COM2 10 3000
devsim_cmd "clear COM2" >/dev/null
type_keys '5'
press_key Return space
sleep 1.6
check "reset during the wait" "AaCa" "$(commands COM2)"

# A second Enter during the wait sends the digits once, at the next tick.
devsim_cmd "clear COM2" >/dev/null
type_keys '7'
press_key Return Return
devsim_wait COM2 4 3000
sleep 1.6
check "second Enter during the wait" "AaDg" "$(commands COM2)"

# Off hook, a new number goes into the call as digits only.
devsim_cmd "clear COM2" >/dev/null
type_keys '8'
press_key Return
devsim_wait COM2 2 3000
sleep 0.5
check "digits into a call" "Dh" "$(commands COM2)"

# Any other reply from the device frees the line: the next Enter dials afresh.
devsim_cmd "send COM2 58" >/dev/null
sleep 0.4
devsim_cmd "clear COM2" >/dev/null
type_keys '9'
press_key Return
devsim_wait COM2 4 3000
check "dial after the line was freed" "AaDi" "$(commands COM2)"

# Enter on an empty display sends nothing.
press_key space
devsim_wait COM2 6 3000
devsim_cmd "clear COM2" >/dev/null
watch_status 1500
press_key Return
saw_status "请输入号码..."
check "empty Enter sends nothing" "" "$(commands COM2)"
finish
