#!/bin/sh
# wine-exec.sh STATE_DIR PROGRAM [ARGS...]: runs a Windows program in the
# session that wine-session.sh started (CTest's cross-compiling emulator).
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/wine-common.sh"
STATE=$1
shift
if [ ! -f "$STATE/env" ]; then
    echo "wine-exec: no Wine session in $STATE (run the wine.start fixture)" >&2
    exit 125
fi
. "$STATE/env"
exec "$WINE_BIN" "$@"
