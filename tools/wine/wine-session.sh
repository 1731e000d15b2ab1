#!/bin/sh
# wine-session.sh start|stop STATE_DIR
# One Wine session per test run: a fresh private prefix, a private Xvfb and a
# persistent wineserver, all ended by "stop" so that nothing keeps running.
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/wine-common.sh"
action=$1
STATE=$2

stop_session() {
    [ -f "$STATE/env" ] || return 0
    . "$STATE/env"
    "$WINESERVER_BIN" -k 2>/dev/null || true
    "$WINESERVER_BIN" -w 2>/dev/null || true
    if [ -n "${BRINTAVOLEX_XVFB_PID:-}" ]; then
        kill "$BRINTAVOLEX_XVFB_PID" 2>/dev/null || true
        i=0
        while kill -0 "$BRINTAVOLEX_XVFB_PID" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
        kill -9 "$BRINTAVOLEX_XVFB_PID" 2>/dev/null || true
    fi
    rm -f "$STATE/env"
}

case "$action" in
start)
    stop_session
    mkdir -p "$STATE"
    rm -rf "$STATE/prefix"
    export WINEPREFIX="$STATE/prefix"
    start_xvfb
    cat > "$STATE/env" <<ENV
export WINEPREFIX='$WINEPREFIX'
export DISPLAY='$DISPLAY'
export BRINTAVOLEX_XVFB_PID='$XVFB_PID'
ENV
    mkdir -p "$WINEPREFIX"
    # A persistent server keeps the prefix loaded between the tests of this run.
    setsid "$WINESERVER_BIN" -p </dev/null >/dev/null 2>&1
    "$WINE_BIN" wineboot --init </dev/null >"$STATE/wineboot.log" 2>&1
    echo "wine session ready: prefix $WINEPREFIX, display $DISPLAY"
    ;;
stop)
    stop_session
    if [ -z "${BRINTAVOLEX_KEEP_PREFIX:-}" ]; then rm -rf "$STATE/prefix"; fi
    echo "wine session stopped"
    ;;
*)
    echo "usage: wine-session.sh start|stop STATE_DIR" >&2
    exit 2
    ;;
esac
