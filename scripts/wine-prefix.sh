#!/usr/bin/env bash
# Creates the Wine prefix the Windows-side tests run in: 64-bit, headless, no window-manager
# waits, no crash dialog, and the virtual MIDI unit (winevmidi.drv) as its MIDI driver.
# Safe to run again: an existing prefix only gets its settings and the driver refreshed.
#
# Usage: scripts/wine-prefix.sh [path/to/winevmidi.drv | build-dir]
#   The build dir defaults to ${VELK_BUILD_DIR:-build/mingw}; the prefix is
#   ${VELK_WINEPREFIX:-build/wineprefix}.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
prefix=${VELK_WINEPREFIX:-$root/build/wineprefix}
source=${1:-${VELK_BUILD_DIR:-$root/build/mingw}}
driver=$source
[ -d "$source" ] && driver=$source/tests/fixtures/vmidi/winevmidi.drv

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

# Managed=N: without a window manager every hidden window would otherwise wait 2 s.
# The crash dialog would block a test forever. Audio=vmidi makes winmm load winevmidi.drv.
settings='REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Audio"="vmidi"
'

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9  # several test runs may ask for the prefix at once

marker=$prefix/.velk-prefix
wanted=$(printf '%s' "$settings" | md5sum | cut -d' ' -f1)
if [ "$(cat "$marker" 2>/dev/null)" != "$wanted" ]; then
  started=$(date +%s%N)
  if [ ! -f "$prefix/system.reg" ]; then
    echo "Creating Wine prefix $prefix"
    wineboot -i 2>/dev/null
  fi
  printf '%s' "$settings" > "$prefix/drive_c/velk-settings.reg"
  wine regedit /S 'C:\velk-settings.reg' 2>/dev/null
  wineserver -w  # a later command under a display must not meet this headless server
  printf '%s' "$wanted" > "$marker"
  echo "Wine prefix ready in $(( ($(date +%s%N) - started) / 1000000 )) ms"
fi

system32=$prefix/drive_c/windows/system32
if [ -f "$driver" ]; then
  cmp -s "$driver" "$system32/winevmidi.drv" || cp "$driver" "$system32/winevmidi.drv"
else
  echo "wine-prefix.sh: no $driver yet; the prefix has no virtual MIDI unit" >&2
fi
