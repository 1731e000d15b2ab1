#!/bin/sh
# wine-env.sh STATE_DIR COMMAND [ARGS...]: runs a native command inside the
# session that wine-session.sh started (its prefix and display), with
# WINE_BIN set to the Wine loader.
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/wine-common.sh"
STATE=$1
shift
if [ ! -f "$STATE/env" ]; then
    echo "wine-env: no Wine session in $STATE (run the wine.start fixture)" >&2
    exit 125
fi
. "$STATE/env"
export WINE_BIN
exec "$@"
