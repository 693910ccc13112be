# Helpers for end-to-end scripts: the dialer under Wine beside the device simulator, driven
# from outside with real input (xdotool) and read back through probe.exe and the device's log.
# Source this from a script that with-devsim runs; it needs DIALER_WINE_DIR, DIALER_BIN,
# DIALER_HOST_TOOLS, DIALER_SOURCE and DIALER_VERSION (the CTest set-up gives them; run by hand,
# the version is read where the build sets it).
set -u
: "${DIALER_VERSION:=$(sed -n 's/^set(DIALER_VERSION "\([^"]*\)".*/\1/p' "$DIALER_SOURCE/CMakeLists.txt")}"
. "$DIALER_SOURCE/tools/devsim/devsim.sh"
winenv="$DIALER_SOURCE/tools/wine/winenv"
eval "$("$winenv" --dir "$DIALER_WINE_DIR" env)"
failures=0
dialer_pid=

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
check() { # check DESCRIPTION EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then pass "$1"; else fail "$1: expected '$2', got '$3'"; fi
}

# Wine's console ends lines with CR LF.
probe() { "$winenv" --dir "$DIALER_WINE_DIR" exec "$DIALER_BIN/probe.exe" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }

start_dialer() {
    "$winenv" --dir "$DIALER_WINE_DIR" exec "$DIALER_BIN/dialer.exe" >/dev/null 2>&1 &
    dialer_pid=$!
    probe wait TFmain 30000 || { fail "the dialer window did not appear"; return 1; }
}

stop_dialer() {
    probe close TFmain >/dev/null 2>&1
    # Any message box left open would keep the program alive.
    for _ in 1 2 3; do probe press 200 >/dev/null 2>&1 || break; done
    [ -n "$dialer_pid" ] && wait "$dialer_pid" 2>/dev/null
    dialer_pid=
}

# The dialer's windows on the X server (by the version its title bar shows), and the first, for
# input.
dialer_windows() { xdotool search --onlyvisible --name "V$DIALER_VERSION" 2>/dev/null; }
dialer_xid() { dialer_windows | head -1; }

# A double click on the tray icon under the pointer, with each press held a moment as Wine's tray
# wants. One xdotool process for both presses: two processes started on a loaded machine may land
# them further apart than the double-click time, and two single clicks hide the window again.
tray_double_click() { xdotool mousedown 1 sleep 0.1 mouseup 1 sleep 0.05 mousedown 1 sleep 0.1 mouseup 1; }

focus_dialer() { xdotool windowfocus --sync "$(dialer_xid)" 2>/dev/null; }

# Text of the first control of a class in the dialer's window tree (after N matches skipped).
control_text() { # control_text CLASS [SKIP]
    probe tree | awk -v cls="$1" -v skip="${2:-0}" '
        { line = $0; sub(/^ +/, "", line) }
        index(line, cls " \"") == 1 { if (skip-- == 0) { sub(/^[^"]*"/, "", line); sub(/" .*/, "", line); print line; exit } }'
}

unhex() { printf '%b' "$(printf '%s' "$1" | sed 's/../\\x&/g')"; }

# Received bytes on a port as text (the device's view).
rx_text() { unhex "$(devsim_rx "$1")"; }

# One line per chunk the device received on a port: the time in ms, then the chunk as text.
rx_times() { # rx_times COMx
    devsim_cmd "rx $1" >/dev/null # orders the log: every earlier chunk is written by now
    awk -v port="$1" '$2 == port && $3 == "rx" { print $1, $4 }' "$DEVSIM_LOG" |
        while read -r t hex; do echo "$t $(unhex "$hex")"; done
}

finish() {
    stop_dialer
    echo "$failures failure(s)"
    [ "$failures" -eq 0 ]
}

# Is a number within a tolerance of the expected value?
near() { # near DESCRIPTION ACTUAL EXPECTED TOLERANCE
    awk -v a="$2" -v e="$3" -v t="$4" 'BEGIN { d = a - e; if (d < 0) d = -d; exit !(d <= t) }' &&
        pass "$1 ($2 ms, expected $3 ± $4)" || fail "$1: $2 ms, expected $3 ± $4"
}

# Waits until a control's text is the expected one (the status line is cleared every 3 s, so
# texts are caught as they appear).
wait_text() { # wait_text DESCRIPTION EXPECTED TIMEOUT_MS CLASS [SKIP]
    local end=$(($(date +%s%3N) + $3)) text
    while :; do
        text=$(control_text "$4" "${5:-0}")
        [ "$text" = "$2" ] && { pass "$1"; return 0; }
        [ "$(date +%s%3N)" -ge "$end" ] && { fail "$1: expected '$2', last saw '$text'"; return 1; }
        sleep 0.05
    done
}
status_is() { wait_text "status $1" "$1" "${2:-2500}" TRzEdit 1; }

# The status line is cleared by a free-running 3 s tick, so a text may live only a moment:
# watch it from before the action, then look at everything it showed.
watch_status() { # watch_status MS  (then act, then saw_status TEXT)
    watch_file=$(mktemp -u)
    # Wine sees the Linux file system as drive Z:.
    probe watch TRzEdit 1 "$1" "Z:${watch_file//\//\\}" &
    watch_pid=$!
    # Its first line says it sees the control (and the window answers); act only then.
    local end=$(($(date +%s%3N) + 8000))
    while [ ! -s "$watch_file" ] && [ "$(date +%s%3N)" -lt "$end" ]; do sleep 0.02; done
}
# While a watch runs: waits until the status line has shown TEXT (fails after TIMEOUT_MS).
status_seen() { # status_seen TEXT TIMEOUT_MS
    local end=$(($(date +%s%3N) + $2))
    until tr -d '\r' <"$watch_file" | grep -qxF "$1"; do
        [ "$(date +%s%3N)" -ge "$end" ] && return 1
        sleep 0.02
    done
}
saw_status() { # saw_status TEXT...
    wait "$watch_pid"
    local seen text
    seen=$(tr -d '\r' <"$watch_file")
    for text in "$@"; do
        if grep -qxF "$text" <<<"$seen"; then pass "status showed $text"
        else fail "status never showed $text (saw: $(paste -sd'|' <<<"$seen"))"; fi
    done
    rm -f "$watch_file"
}
display_is() { wait_text "display '$1'" "$1" "${2:-2000}" TRzEdit 0; }

# Expects a message box with this text, and presses its button.
msgbox_is() { # msgbox_is TEXT [TIMEOUT_MS]
    local got
    got=$(probe press "${2:-5000}" | sed -n 2p)
    check "message box" "$1" "$got"
}

# Starts the dialer and waits for discovery to find the device (the first showing probes).
start_linked() {
    start_dialer || return 1
    msgbox_is "设备连接正常！" 15000
    # The keypad injects numeric-pad keys, which Wine turns into digits only with NumLock on;
    # Xvfb starts with it off.
    press_key Num_Lock
}

# Typed keys go to the dialer's focused control.
type_keys() { focus_dialer; xdotool type --delay 60 "$1"; }
press_key() { focus_dialer; xdotool key --delay 60 "$@"; }

# Clicks the middle of the dialer's control whose caption is given.
click_button() { # click_button CAPTION
    local rect
    rect=$(probe screen | awk -v cap="$1" '{ line = $0; sub(/^ +/, "", line) }
        index(line, "TRzBitBtn \"" cap "\"") == 1 { n = split(line, f, " "); print f[n-4], f[n-3], f[n-2], f[n-1]; exit }')
    [ -n "$rect" ] || { fail "no button $1"; return 1; }
    set -- $rect
    xdotool mousemove --sync $(($1 + $3 / 2)) $(($2 + $4 / 2)) click 1
}

# Device commands (two letters each) received on a port since the last clear, as text.
commands() { rx_text "$1"; }

# Colour of one screen pixel as "srgb(r,g,b)".
pixel_at() { # pixel_at X Y
    local shot
    shot=$(mktemp --suffix=.png)
    "$DIALER_SOURCE/tools/wine/screenshot" --dir "$DIALER_WINE_DIR" "$shot" &&
        convert "$shot" -format "%[pixel:p{$1,$2}]" info:
    rm -f "$shot"
}

# Waits until a screen point shows the expected colour: a colour set as a box closes is painted
# a moment later.
pixel_is() { # pixel_is DESCRIPTION EXPECTED X Y TIMEOUT_MS
    local end=$(($(date +%s%3N) + $5)) got
    while :; do
        got=$(pixel_at "$3" "$4")
        [ "$got" = "$2" ] && { pass "$1"; return 0; }
        [ "$(date +%s%3N)" -ge "$end" ] && { fail "$1: expected '$2', got '$got'"; return 1; }
        sleep 0.1
    done
}
