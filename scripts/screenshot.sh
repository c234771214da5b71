#!/bin/sh
# Takes the README's picture of the main window: starts vzserver on a fresh demo account set,
# runs vzclient under Xvfb through its server address, account-set and login dialogs (the
# client answers them itself with --autologin) and saves the main window to docs/.
#
#   scripts/screenshot.sh [OUTPUT.png [CLIENT OPTIONS...]]   (default docs/mainwindow.png)
#   scripts/screenshot.sh /tmp/ck.png --open mnuCk           (the warehouse list open)
#   VZ_PG="host=... dbname=..." scripts/screenshot.sh ...     (the set in that empty database)
set -eu

BIN=${BIN:-build/bin}
OUT=${1:-docs/mainwindow.png}
[ $# -gt 0 ] && shift
WORK=$(mktemp -d)
SERVER_PID=
cleanup() {
    [ -n "$SERVER_PID" ] && kill "$SERVER_PID" 2>/dev/null || true
    [ -n "$SERVER_PID" ] && wait "$SERVER_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

if [ -n "${VZ_PG:-}" ]; then
    "$BIN/vzserver" --data "$WORK/data" --create-account 001 演示帐套 --demo \
        --engine postgresql --pg "$VZ_PG" >/dev/null
else
    "$BIN/vzserver" --data "$WORK/data" --create-account 001 演示帐套 --demo >/dev/null
fi
"$BIN/vzserver" --data "$WORK/data" --port 0 >"$WORK/server.log" 2>&1 &
SERVER_PID=$!
PORT=
for _ in $(seq 100); do
    PORT=$(sed -n 's/.*listening on [^:]*:\([0-9]*\).*/\1/p' "$WORK/server.log" | head -n 1)
    [ -n "$PORT" ] && break
    sleep 0.1
done
if [ -z "$PORT" ]; then
    echo "screenshot: vzserver did not start:" >&2
    cat "$WORK/server.log" >&2
    exit 1
fi

# A client folder of its own: the address dialog offers the first HostName of SysConfig.ini,
# the System folder exists so that the first start opens no browser, and the alert window of
# the start-up stays closed so that it does not cover the window photographed.
mkdir -p "$WORK/client/System"
printf '[login]\nhostname=127.0.0.1:%s\nshowaudit=0\n' "$PORT" >"$WORK/client/SysConfig.ini"

mkdir -p "$(dirname "$OUT")"
OUT_ABS=$(cd "$(dirname "$OUT")" && pwd)/$(basename "$OUT")
VZCLIENT_HOME="$WORK/client" LC_ALL=C.UTF-8 xvfb-run -a -s "-screen 0 1366x768x24" \
    "$BIN/vzclient" --autologin SYS --screenshot "$OUT_ABS" "$@"
echo "screenshot: $OUT"
