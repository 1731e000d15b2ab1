#!/bin/sh
# Installs everything both builds and the tests need on Debian 12, then
# cross-builds libpng for MinGW from Debian's own source package.
# Idempotent: a second run installs and downloads nothing.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
CACHE=${BRINTAVOLEX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/brintavolex}
MINGW_PREFIX="$CACHE/mingw64"
export DEBIAN_FRONTEND=noninteractive

PACKAGES="cmake ninja-build g++ g++-mingw-w64-x86-64-posix mingw-w64-tools
wine wine64 xvfb xauth x11-apps x11-utils xdotool imagemagick zlib1g-dev libpng-dev
libz-mingw-w64-dev googletest libbenchmark-dev python3 python3-numpy python3-pil python3-tifffile libtiff-dev ccache
dpkg-dev clang libclang-rt-14-dev locales libfreetype-dev fonts-dejavu-core
libjpeg-turbo-progs libjpeg-dev libimage-exiftool-perl libtiff-tools libgif-dev"

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

# deb-src lines for the configured archive, so that apt-get source works.
enable_deb_src() {
    if grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ || grep -qs '^deb-src' /etc/apt/sources.list; then
        return 1
    fi
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        as_root sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
    else
        grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | as_root tee -a /etc/apt/sources.list >/dev/null
    fi
    return 0
}

need_update=0
if enable_deb_src; then need_update=1; fi
if [ -n "$missing" ]; then need_update=1; fi
if [ "$need_update" = 1 ]; then
    echo "setup: apt-get update" >&2
    as_root apt-get update -q >/dev/null
fi
if [ -n "$missing" ]; then
    echo "setup: installing$missing" >&2
    as_root apt-get install -y -q --no-install-recommends $missing >/dev/null
fi

# A German locale, so that tests can prove number texts ignore the locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    as_root localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "setup: no German locale, its tests will fail" >&2
fi

# libpng for MinGW, static, from Debian's libpng1.6 sources.
if [ ! -f "$MINGW_PREFIX/lib/libpng16.a" ]; then
    mkdir -p "$CACHE/src"
    cd "$CACHE/src"
    if ! ls -d libpng1.6-*/ >/dev/null 2>&1; then
        fetched=0
        # Newest first; an archive snapshot may lack the newest version's files.
        for v in $(apt-cache showsrc libpng1.6 | sed -n 's/^Version: //p' | sort -rV | uniq); do
            if apt-get source -q --download-only "libpng1.6=$v" >/dev/null 2>&1 && \
               dpkg-source -x --no-check libpng1.6_"$(echo "$v" | sed 's/^[0-9]*://')".dsc >/dev/null 2>&1; then
                fetched=1
                break
            fi
            echo "setup: libpng1.6 $v not available, trying an older version" >&2
        done
        [ "$fetched" = 1 ] || { echo "setup: cannot fetch libpng1.6 sources" >&2; exit 1; }
    fi
    src=$(ls -d "$CACHE"/src/libpng1.6-*/ | head -n 1)
    echo "setup: cross-building libpng from $src" >&2
    rm -rf "$CACHE/build-libpng"
    cmake -S "$src" -B "$CACHE/build-libpng" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$MINGW_PREFIX" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DPNG_TOOLS=OFF -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON \
        -DZLIB_ROOT=/usr/x86_64-w64-mingw32 >/dev/null
    cmake --build "$CACHE/build-libpng" >/dev/null
    cmake --install "$CACHE/build-libpng" >/dev/null
    rm -rf "$CACHE/build-libpng"
fi
# suite SOURCE_PACKAGE DEST CHECK_FILE STRIP PATTERN: test files that a
# Debian source package carries, extracted into DEST once (the newest
# version the archive still has).
suite() {
    [ -f "$2/$3" ] && return 0
    mkdir -p "$CACHE/$1" "$2"
    cd "$CACHE/$1"
    if ! ls "$1"_*.orig.tar.* >/dev/null 2>&1; then
        for v in $(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -rV | uniq); do
            apt-get source -q --download-only "$1=$v" >/dev/null 2>&1 && break
            echo "setup: $1 $v not available, trying an older version" >&2
        done
    fi
    tar -xf "$(ls "$1"_*.orig.tar.* | head -n 1)" -C "$2" --strip-components="$4" --wildcards "$5"
}
# Jason Summers' BMP suite (pillow), PngSuite (libspng), libjpeg-turbo's,
# libtiff's and giflib's test images, for the decoders' tests.
suite pillow "$CACHE/bmpsuite" g/pal8.bmp 4 '*/Tests/images/bmp/*'
suite libspng "$CACHE/pngsuite" basn0g01.png 3 '*/tests/images/*.png'
suite libjpeg-turbo "$CACHE/libjpeg-turbo-testimages" testorig.jpg 2 '*/testimages/*'
suite tiff "$CACHE/libtiff-testimages" minisblack-1c-8b.tiff 3 '*/test/images/*'
suite giflib "$CACHE/giflib-pics" porsche.gif 2 '*/pic/*.gif'
echo "setup: ready (cache $CACHE)" >&2
