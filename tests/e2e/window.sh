# The window: topmost, no maximise box, one instance only, and "Exit" ends the program.
. "$DIALER_SOURCE/tests/e2e/lib.sh"
start_linked
check "window style" "topmost nomaximizebox" "$(probe style TFmain | tr '\n' ' ' | sed 's/ $//')"
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
