#!/bin/sh
# Starts vzserver on the local data folder in the background, points the client's
# SysConfig.ini at it, runs vzclient, and stops the server when the client exits.
set -eu

BIN=${BIN:-build/bin}
DATA=${VZ_DATA:-${XDG_DATA_HOME:-$HOME/.local/share}/vzserver}
LOG="$DATA/run.log"
mkdir -p "$DATA"

# First start: the demo account set, so every window has data to show.
# The second one audits at two levels, for trying multi-level audit.
if [ ! -e "$DATA/001/VzData.db" ]; then
    "$BIN/vzserver" --data "$DATA" --create-account 001 演示帐套 --demo
fi
if [ ! -e "$DATA/002/VzData.db" ]; then
    "$BIN/vzserver" --data "$DATA" --create-account 002 两级审核演示帐套 --demo --audit-levels 2
fi

start_server() {
    "$BIN/vzserver" --data "$DATA" --port "$1" >"$LOG" 2>&1 &
    SERVER_PID=$!
    for _ in $(seq 50); do
        if grep -q "listening on" "$LOG" 2>/dev/null; then
            PORT=$(sed -n 's/.*listening on [^:]*:\([0-9]*\).*/\1/p' "$LOG" | head -n 1)
            return 0
        fi
        kill -0 "$SERVER_PID" 2>/dev/null || return 1
        sleep 0.1
    done
    kill "$SERVER_PID" 2>/dev/null || true
    return 1
}

# The default port 211 needs root; otherwise take a high port.
if ! start_server 211; then
    if ! start_server 2110 && ! start_server 0; then
        echo "run-local: vzserver did not start:" >&2
        cat "$LOG" >&2
        exit 1
    fi
fi
trap 'kill "$SERVER_PID" 2>/dev/null || true; wait "$SERVER_PID" 2>/dev/null || true' EXIT INT TERM
echo "run-local: vzserver listens on 127.0.0.1:$PORT, data in $DATA"

# The server address dialog offers the first HostName of SysConfig.ini, so the user only
# confirms it. Other settings in the file (account set, user) are kept.
CONFIG="$BIN/SysConfig.ini"
ADDRESS=127.0.0.1
[ "$PORT" = 211 ] || ADDRESS="127.0.0.1:$PORT"
if [ -f "$CONFIG" ] && grep -qi '^hostname=' "$CONFIG"; then
    awk -v addr="$ADDRESS" '!done && tolower($0) ~ /^hostname=/ {print "hostname=" addr; done=1; next} {print}' \
        "$CONFIG" >"$CONFIG.tmp" && mv "$CONFIG.tmp" "$CONFIG"
else
    printf '[login]\nhostname=%s\n' "$ADDRESS" >>"$CONFIG"
fi

"$BIN/vzclient" "$@"
