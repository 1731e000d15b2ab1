#!/bin/sh
# run.sh [IMAGE]: builds the Windows program and starts it under Wine.
# On $DISPLAY when there is one; otherwise on a private Xvfb, where it saves a
# screenshot of the screen to build/run-screenshot.png once the window is
# there, then closes the window.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
"$ROOT/tools/setup-debian.sh"
cmake --preset win64 >/dev/null
cmake --build --preset win64

. "$ROOT/tools/wine/wine-common.sh"
CACHE=${BRINTAVOLEX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/brintavolex}
export WINEPREFIX="$CACHE/wineprefix-run"
EXE="$ROOT/build/win64/bin/Brintavolex Viewer.exe"

# No image named: the sample picture. A Linux path is given to the viewer as
# Wine sees it (drive Z:).
if [ $# -eq 0 ]; then
    python3 "$ROOT/tools/make-sample-image.py" "$ROOT/build/sample.bmp"
    set -- "$ROOT/build/sample.bmp"
fi
if [ $# -eq 1 ] && [ -f "$1" ]; then
    set -- "Z:$(cd "$(dirname "$1")" && pwd | tr / '\\')\\$(basename "$1")"
fi

if [ -n "${DISPLAY:-}" ]; then
    "$WINE_BIN" "$EXE" "$@"
    exit $?
fi

start_xvfb
mkdir -p "$WINEPREFIX"
cleanup() {
    "$WINESERVER_BIN" -k 2>/dev/null || true
    "$WINESERVER_BIN" -w 2>/dev/null || true
    kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT INT TERM
"$WINE_BIN" wineboot --init >/dev/null 2>&1
"$WINE_BIN" "$EXE" "$@" &
VIEWER=$!
# Wait for the window (or the end of a role without one), let it draw, then
# photograph the screen and close the window with Escape.
i=0
while kill -0 $VIEWER 2>/dev/null && [ $i -lt 300 ]; do
    xdotool search --onlyvisible --name '^Brintavolex Viewer$' >/dev/null 2>&1 && break
    sleep 0.1
    i=$((i + 1))
done
SHOT="$ROOT/build/run-screenshot.png"
if kill -0 $VIEWER 2>/dev/null; then
    sleep 1
    import -display "$DISPLAY" -window root "$SHOT" && echo "screenshot saved to $SHOT"
    xdotool key Escape || true
    i=0
    while kill -0 $VIEWER 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    kill $VIEWER 2>/dev/null || true
fi
wait $VIEWER && rc=0 || rc=$?
echo "viewer exited with code $rc"
