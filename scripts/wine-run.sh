#!/usr/bin/env bash
# Runs a Windows test program under the project's test Wine prefix (see scripts/wine-prefix.sh).
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${VELK_WINEPREFIX:-$here/../build/wineprefix}
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
