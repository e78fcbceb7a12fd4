# Sourced by the run and test scripts: starts a virtual display when there is none.
# Sets DISPLAY and stops the display when the calling script exits.
brennix_ensure_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    BRENNIX_XVFB_PID=$!
    local number
    read -r -t 30 number <"$fifo" || true
    rm -f "$fifo"
    if [ -z "$number" ]; then
        echo "Could not start the virtual display (Xvfb)." >&2
        return 1
    fi
    export DISPLAY=":$number"
    trap 'kill "$BRENNIX_XVFB_PID" 2>/dev/null || true' EXIT
    echo "Started a virtual display at $DISPLAY."
}
# Quieter web engine and toolkit on machines without a desktop session.
export NO_AT_BRIDGE=1
