# Shared by the Wine scripts: where wine and wineserver live on Debian.
WINE_BIN=${WINE_BIN:-/usr/lib/wine/wine64}
WINESERVER_BIN=${WINESERVER_BIN:-/usr/lib/wine/wineserver}
[ -x "$WINE_BIN" ] || WINE_BIN=$(command -v wine64 || command -v wine)
[ -x "$WINESERVER_BIN" ] || WINESERVER_BIN=$(command -v wineserver)
export WINESERVER="$WINESERVER_BIN"
export WINEDEBUG=-all
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Starts Xvfb on the first free display from 90 on; sets XVFB_PID and DISPLAY.
start_xvfb() {
    n=90
    while [ $n -lt 190 ]; do
        if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then
            setsid Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
            XVFB_PID=$!
            i=0
            while [ $i -lt 100 ]; do
                if [ -e /tmp/.X11-unix/X$n ]; then
                    export DISPLAY=:$n
                    return 0
                fi
                kill -0 $XVFB_PID 2>/dev/null || break
                sleep 0.1
                i=$((i + 1))
            done
            kill $XVFB_PID 2>/dev/null || true
        fi
        n=$((n + 1))
    done
    echo "no free X display for Xvfb" >&2
    return 1
}
