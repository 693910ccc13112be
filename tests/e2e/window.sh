# The window: topmost, no maximise box, one instance only, and "Exit" ends the program.
. "$DIALER_SOURCE/tests/e2e/lib.sh"
start_linked
check "window style" "topmost nomaximizebox client 240 206" "$(probe style TFmain | paste -sd' ')"
# Every control where the layout puts it (left top width height, within its parent).
expected="TRzComboBox 170 161 59 21
TRzGroupBox 3 0 237 55
TRzEdit 2 9 217 43
TRzBitBtn 221 11 11 21
TRzBitBtn 221 26 11 24
TEdit 130 13 40 21
TRzGroupBox 3 48 167 154
TRzBitBtn 8 11 45 30
TRzBitBtn 61 11 45 30
TRzBitBtn 113 11 44 30
TRzBitBtn 8 43 45 30
TRzBitBtn 61 43 45 30
TRzBitBtn 113 43 45 30
TRzBitBtn 8 76 45 30
TRzBitBtn 61 76 45 30
TRzBitBtn 113 76 45 30
TRzBitBtn 8 108 45 30
TRzBitBtn 61 108 45 30
TRzBitBtn 113 108 45 30
TRzGroupBox 166 48 70 128
TRzBitBtn 2 11 66 30
TRzBitBtn 2 43 66 30
TRzBitBtn 2 76 66 30
TRzStatusBar 0 187 240 19
TRzEdit 0 0 217 19
TRzBitBtn 219 0 21 19"
actual=$(probe tree | awk '{ line = $0; sub(/^ +/, "", line); n = split(line, f, " ") }
    f[1] ~ /^(TRz|TEdit$)/ { print f[1], f[n-4], f[n-3], f[n-2], f[n-1] }')
check "layout" "$expected" "$actual"
check "keypad captions" "1 2 3 4 5 6 7 8 9 * 0 # Enter Reset COM Exit" \
    "$(probe tree | awk '{ sub(/^ +/, "") } /^TRzBitBtn "[^"]/ { split($0, f, "\""); printf "%s ", f[2] }' | sed 's/ $//')"
"$winenv" --dir "$DIALER_WINE_DIR" exec "$DIALER_BIN/dialer.exe" >/dev/null 2>&1 &
second=$!
box=$(probe press 15000)
check "second start refused" "运行|该程序已经有一个在运行中！" "$(echo "$box" | paste -sd'|')"
wait $second
check "the first window stays" "TFmain" "$(probe tree | head -1 | cut -d' ' -f1)"
"$DIALER_SOURCE/tools/wine/screenshot" --dir "$DIALER_WINE_DIR" "${DEVSIM_LOG%.devsim.log}.png" || true
click_button Exit
wait "$dialer_pid" && pass "Exit ended the program" || fail "the program did not end"
dialer_pid=
probe wait TFmain 100 && fail "window still there" || pass "window gone"
finish
