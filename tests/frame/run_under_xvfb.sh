#!/bin/sh
# Runs a test program on its own Xvfb server with a 1920 x 1080 screen at 150 %.
# Exit 77 (skipped) only when the X server cannot be started here.
set -u
if ! command -v Xvfb >/dev/null 2>&1; then
    echo "SKIP: Xvfb is not installed (package xvfb), so no X server can be started"
    exit 77
fi
fifo_dir=$(mktemp -d)
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$fifo_dir"' EXIT
# -displayfd: the server picks a free display and names it once it accepts clients.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$fifo_dir/display" \
    >"$fifo_dir/log" 2>&1 &
server=$!
display=""
for _ in $(seq 1 100); do
    display=$(cat "$fifo_dir/display" 2>/dev/null)
    [ -n "$display" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$display" ]; then
    echo "SKIP: the X server could not start:"
    cat "$fifo_dir/log"
    exit 77
fi
DISPLAY=":$display" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1.5 "$@"
