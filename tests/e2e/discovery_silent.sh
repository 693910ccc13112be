# Ports that open but never answer: every one is probed, then "未找到设备！".
. "$DIALER_SOURCE/tests/e2e/lib.sh"
start_dialer
msgbox_is "未找到设备！" 15000
check "COM1 probed" "CA" "$(commands COM1)"
check "COM2 probed" "CA" "$(commands COM2)"
finish
