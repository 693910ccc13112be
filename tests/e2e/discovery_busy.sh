# Ports listed but none can be opened: "通信口被占用！" after the last one.
. "$DIALER_SOURCE/tests/e2e/lib.sh"
start_dialer
msgbox_is "通信口被占用！" 15000
check "no second message box" "" "$(probe msgbox 500)"
finish
