#!/usr/bin/env bash
# Runs a Windows test program under the project's test Wine prefix (see scripts/wine-prefix.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${VELK_WINEPREFIX:-$here/../build/wineprefix}
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
# A prefix made by wine itself would lack the test settings (crash dialog, MIDI driver).
[ -f "$WINEPREFIX/.velk-prefix" ] || "$here/wine-prefix.sh" >&2
exec wine "$@"
