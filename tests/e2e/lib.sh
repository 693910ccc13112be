# Helpers for end-to-end scripts: the dialer under Wine beside the device simulator, driven
# from outside with real input (xdotool) and read back through probe.exe and the device's log.
# Source this from a script that with-devsim runs; it needs DIALER_WINE_DIR, DIALER_BIN,
# DIALER_HOST_TOOLS and DIALER_SOURCE (the CTest set-up gives them).
set -u
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

probe() { "$winenv" --dir "$DIALER_WINE_DIR" exec "$DIALER_BIN/probe.exe" "$@"; }

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

# The X window of the dialer, for input.
dialer_xid() { xdotool search --limit 1 --name '电脑拨号' 2>/dev/null | head -1; }

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
