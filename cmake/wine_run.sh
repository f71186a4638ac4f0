#!/bin/sh
# Runs a Windows program under Wine without a display: the emulator ctest
# starts cross-built executables with (see mingw-w64-x86_64.cmake).
# WINEPREFIX: the Wine prefix to use (scripts/run windows sets one up once);
# MSGDEF_WINE_PATH: extra folders for the loader's search (Windows PATH).
export WINEDEBUG=${WINEDEBUG:--all}
# Wine reads the Unix command line in the locale's encoding: UTF-8 arguments stay UTF-8.
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ -n "${MSGDEF_WINE_PATH:-}" ]; then
  export WINEPATH="$MSGDEF_WINE_PATH"
fi
exec /usr/lib/wine/wine64 "$@"
