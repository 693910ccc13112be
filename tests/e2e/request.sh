# Dialling from outside the window: a number, a tel: or callto: link or a switch handed over on
# a second start of the program, a pasted number, links opened through the shell after
# /register, and a flood of requests from another program. Timing tolerances as for a dial from
# the keyboard: ±80 ms on the 1200 ms wait, ±50 ms on the 360 ms step.
. "$DIALER_SOURCE/tests/e2e/lib.sh"

# Runs dialer.exe with arguments to its end; sets rc (its exit code) and took (ms).
dialer() {
    local start
    start=$(date +%s%3N)
    "$winenv" --dir "$DIALER_WINE_DIR" exec "$DIALER_BIN/dialer.exe" "$@" >/dev/null 2>&1
    rc=$?
    took=$(($(date +%s%3N) - start))
}
# A request handed to the running instance: taken (exit code 0) within a few seconds.
request() {
    dialer "$@"
    [ "$rc" = 0 ] && [ "$took" -lt 5000 ] && pass "dialer.exe $* taken ($took ms)" ||
        fail "dialer.exe $*: exit code $rc after $took ms"
}
# Waits until the device has received exactly these commands since the last clear.
commands_are() { # commands_are DESCRIPTION EXPECTED [TIMEOUT_MS]
    devsim_wait COM2 "${#2}" "${3:-5000}"
    sleep 0.3 # nothing more follows
    check "$1" "$2" "$(commands COM2)"
}
# The last dial on COM2 went "Aa", then its two digits 1200 ms and 360 ms later.
dial_timing() { # dial_timing DESCRIPTION
    local ta tda tdb
    read -r ta tda tdb <<<"$(rx_times COM2 | tail -3 | awk '{ printf "%s ", $1 }')"
    near "$1: first digit after off hook" "$(awk -v a="$ta" -v b="$tda" 'BEGIN { print b - a }')" 1200 80
    near "$1: second digit" "$(awk -v a="$tda" -v b="$tdb" 'BEGIN { print b - a }')" 360 50
}
hang_up() {
    devsim_cmd "clear COM2" >/dev/null
    request /hangup
    commands_are "/hangup sends Ca" "Ca"
    devsim_cmd "clear COM2" >/dev/null
}
window_rect() { probe screen | head -1 | awk '{ n = split($0, f, " "); print f[n-4], f[n-3], f[n-2], f[n-1] }'; }
reg_value() { # reg_value KEY [VALUE]: the data, or nothing when it is missing
    local which=(/ve)
    [ -n "${2:-}" ] && which=(/v "$2")
    "$winenv" --dir "$DIALER_WINE_DIR" exec reg query "HKCU\\$1" "${which[@]}" 2>/dev/null |
        tr -d '\r' | awk -F'    ' 'NF >= 4 { print $4; exit }'
}

# ---- No instance running: what needs a running dialer ends with 1 and starts nothing.
dialer /answer
check "/answer with no dialer running" 1 "$rc"
dialer /hangup
check "/hangup with no dialer running" 1 "$rc"
"$winenv" --dir "$DIALER_WINE_DIR" exec "$DIALER_BIN/dialer.exe" 'call me' >/dev/null 2>&1 &
refused=$!
msgbox_is "输入错误！"
wait "$refused"
check "a refused request with no dialer running" 1 "$?"
probe wait TFmain 200 && fail "a refused request started the dialer" || pass "nothing started"
check "nothing was sent" "" "$(commands COM2)"

# ---- A number with no instance: the program starts, finds the device and dials.
"$winenv" --dir "$DIALER_WINE_DIR" exec "$DIALER_BIN/dialer.exe" 12 >/dev/null 2>&1 &
dialer_pid=$!
probe wait TFmain 30000 || fail "the dialer did not start"
msgbox_is "设备连接正常！" 15000
commands_are "started by a number, it probes and dials" "CAAaDaDb"
dial_timing "dial at start"
hang_up

# ---- Running and linked: numbers and links dial as Enter does.
request 12
commands_are "dialer.exe 12" "AaDaDb"
dial_timing "dialer.exe 12"
hang_up
request "tel:1-2"
commands_are "dialer.exe tel:1-2" "AaDaDb"
hang_up
request "CALLTO:12"
commands_are "dialer.exe CALLTO:12" "AaDaDb"
# During the call a number only takes the display.
devsim_cmd "clear COM2" >/dev/null
request 34
display_is "34"
commands_are "a number during a call sends nothing" ""
hang_up
display_is ""

# ---- /answer answers a ring, and only a ring.
watch_status 3000
devsim_cmd "send COM2 52" >/dev/null
status_seen "有来电..." 2500 || fail "the ring was not reported"
request /answer
commands_are "/answer during a ring" "Aa"
saw_status "接听中..."
hang_up
request /answer
commands_are "/answer with no ring" ""

# ---- A request not understood: one box, nothing dialled, exit code 1.
dialer 'tel:12abc'
check "a refused request ends with 1" 1 "$rc"
msgbox_is "输入错误！"
check "no second box" "" "$(probe msgbox 300)"
commands_are "a refused request sends nothing" ""

# ---- Paste: Ctrl+V and Shift+Insert put the clipboard's number on the display, not dialled.
probe clip ' (1) 2-3 '
press_key ctrl+v
display_is "123"
probe clip '＋８６ ４５'
press_key shift+Insert
display_is "008645"
probe clip 'call me'
press_key ctrl+v
msgbox_is "输入错误！"
check "refused paste leaves the display" "008645" "$(control_text TRzEdit)"
commands_are "pasting sends nothing" ""
hang_up

# ---- Links through the shell after /register, and /unregister takes the keys away again.
dialer /register
check "/register" 0 "$rc"
command=$(reg_value 'Software\Classes\tel\shell\open\command')
case $command in
*dialer.exe\"\ \"%1\") pass "the tel: command runs the dialer ($command)" ;;
*) fail "tel: command: '$command'" ;;
esac
check "callto: is a link" "URL:callto" "$(reg_value 'Software\Classes\callto')"
check "the capabilities entry" 'Software\PcDialer\Capabilities' \
    "$(reg_value 'Software\RegisteredApplications' PcDialer)"
check "tel: in the capabilities" "PcDialer.Link" \
    "$(reg_value 'Software\PcDialer\Capabilities\URLAssociations' tel)"
link='tel:+86-12;ext=3'
if probe open "$link" >/dev/null; then
    pass "the shell opened $link"
else
    # Wine 8's shell reads no per-user classes (it answers "no association"): the link goes to
    # the registered command as the shell would hand it over, in place of %1.
    program=$(sed 's/^"\([^"]*\)".*/\1/' <<<"$command")
    "$winenv" --dir "$DIALER_WINE_DIR" exec "$program" "$link" >/dev/null 2>&1
    check "the registered command took $link" 0 "$?"
fi
commands_are "a tel: link dials" "AaDjDjDhDfDaDb" 8000
hang_up
dialer /unregister
check "/unregister" 0 "$rc"
for key in 'Software\Classes\tel' 'Software\Classes\callto' 'Software\Classes\PcDialer.Link' \
    'Software\PcDialer'; do
    "$winenv" --dir "$DIALER_WINE_DIR" exec reg query "HKCU\\$key" >/dev/null 2>&1 &&
        fail "$key is still there" || pass "$key is gone"
done
check "the capabilities entry is gone" "" "$(reg_value 'Software\RegisteredApplications' PcDialer)"

# ---- From the notification area: the number shows the window, which links again and dials.
probe minimize TFmain
for _ in $(seq 50); do [ -z "$(dialer_xid)" ] && break; sleep 0.1; done
[ -z "$(dialer_xid)" ] && pass "the window went into the tray" || fail "the window is still shown"
request 56
msgbox_is "设备连接正常！" 15000
[ -n "$(dialer_xid)" ] && pass "the number showed the window" || fail "the window stayed away"
commands_are "from the tray: probe, then the dial" "CAAaDeDf"
hang_up

# ---- Docked at the top edge and slid away: /show and a number slide it out.
read -r wx wy _ wh <<<"$(window_rect)"
xdotool mousemove --sync $((wx + 120)) $((wy + 14)) mousedown 1
for step in 1 2 3 4 5 6; do xdotool mousemove --sync $((wx + 120)) $((wy + 14 - step * wy / 6)); sleep 0.05; done
xdotool mousemove --sync $((wx + 120)) 2 mouseup 1
xdotool mousemove --sync 700 700
hidden() { for _ in $(seq 40); do read -r _ y _ _ <<<"$(window_rect)"; [ "$y" -lt 0 ] && return 0; sleep 0.1; done; return 1; }
hidden && pass "docked and slid away" || fail "the window did not slide away (top $y)"
request /show
read -r _ y _ _ <<<"$(window_rect)"
check "/show slides it out" 0 "$y"
# It slides away again after the pointer has been on it and left, as after a touch.
xdotool mousemove --sync $((wx + 120)) 60
sleep 0.3
xdotool mousemove --sync 700 700
hidden && pass "away again after a touch" || fail "it stayed out (top $y)"
request 78
read -r _ y _ _ <<<"$(window_rect)"
check "a number slides it out" 0 "$y"
commands_are "docked, still linked: the dial at once" "AaDgDh"
hang_up

# ---- A hundred requests in a second from another program, numbers and refused text mixed:
# one window, at most one box, the last accepted number on the display, keys answered at once.
texts=()
for i in $(seq 100); do
    case $((i % 4)) in 0) texts+=("not a number $i") ;; *) texts+=("tel:$((1000 + i))") ;; esac
done
texts+=("(099) 99")
probe boxes 4000 >"$DIALER_WINE_DIR/boxes" &
boxes=$!
check "requests taken" 76 "$(probe flood 1000 "${texts[@]}")"
wait "$boxes"
check "message boxes open at once" 1 "$(cat "$DIALER_WINE_DIR/boxes")"
msgbox_is "输入错误！"
check "no box left" "" "$(probe msgbox 500)"
check "one dialer window" 1 "$(dialer_windows | wc -l)"
display_is "09999"
commands_are "the first number dialled, the others only shown" "AaDaDjDjDa" 8000
devsim_cmd "clear COM2" >/dev/null
press_key space
devsim_wait COM2 2 1000 && pass "keys answered at once" || fail "Reset was not taken at once"

stop_dialer

# ---- /show with no instance starts the program as usual.
devsim_cmd "clear COM2" >/dev/null
"$winenv" --dir "$DIALER_WINE_DIR" exec "$DIALER_BIN/dialer.exe" /show >/dev/null 2>&1 &
dialer_pid=$!
msgbox_is "设备连接正常！" 30000
commands_are "/show starts the dialer, which links" "CA"
finish
