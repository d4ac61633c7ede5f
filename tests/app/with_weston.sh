#!/usr/bin/env bash
# Runs a command as a client of a private headless Weston: its own runtime folder and socket,
# no network, stopped when the command ends.
set -euo pipefail
runtime=$(mktemp -d)
chmod 700 "$runtime"
socket=mailweir-test
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --socket=$socket --idle-time=0 \
    --width=1280 --height=800 >"$runtime/weston.log" 2>&1 &
weston=$!
trap 'kill $weston 2>/dev/null; wait $weston 2>/dev/null || true; rm -rf "$runtime"' EXIT
for _ in $(seq 100); do
    [ -S "$runtime/$socket" ] && break
    sleep 0.1
done
[ -S "$runtime/$socket" ] || { cat "$runtime/weston.log"; exit 1; }
# Qt falls back to no other platform: a client that cannot reach Weston fails.
XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland "$@"
