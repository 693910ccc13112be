# Bash helpers for end-to-end scripts run under with-devsim (source this file).
#
#   devsim_cmd "send COM2 52"      prints the reply line; fails unless it starts with "ok"
#   devsim_wait COM2 4 2000        waits until 4 bytes have arrived on COM2 (fails on timeout)
#   devsim_rx COM2                 prints the hex of the bytes received since the last clear
#
# DEVSIM_CONTROL_PORT comes from with-devsim; DIALER_HOST_TOOLS names the devsim binary's folder.

devsim_cmd() {
    "${DIALER_HOST_TOOLS:?}/devsim" --client "${DEVSIM_CONTROL_PORT:?}" "$@"
}

devsim_wait() {
    devsim_cmd "wait $1 $2 $3" >/dev/null
}

devsim_rx() {
    local reply
    reply=$(devsim_cmd "rx $1") || return 1
    reply=${reply#ok}
    echo "${reply# }"
}
