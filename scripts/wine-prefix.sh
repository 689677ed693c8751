#!/usr/bin/env bash
# Creates the Wine prefix the Windows-side tests run in: 64-bit (running 32-bit programs too),
# headless, no window-manager waits, no crash dialog, and the virtual MIDI unit
# (winevmidi.drv) as its MIDI driver. Safe to run again: an existing prefix only gets its
# settings and the driver refreshed. A 32-bit driver (from the mingw32 build) goes where
# 32-bit programs load DLLs from, syswow64; the 64-bit one into system32: one prefix serves
# both builds.
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
; applied to both registry views

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
  # Into both registry views (the HKLM key is one per view): `wine regedit` is the 32-bit
  # regedit once Wine's 32-bit half is installed, the 64-bit loader's the 64-bit one.
  wine64=/usr/lib/wine/wine64
  [ -x "$wine64" ] || wine64=wine
  "$wine64" regedit /S 'C:\velk-settings.reg' 2>/dev/null
  [ "$wine64" = wine ] || wine regedit /S 'C:\velk-settings.reg' 2>/dev/null
  wineserver -w  # a later command under a display must not meet this headless server
  printf '%s' "$wanted" > "$marker"
  echo "Wine prefix ready in $(( ($(date +%s%N) - started) / 1000000 )) ms"
fi

# The machine field of the PE header: 14c for x86, 8664 for x64.
pe_machine() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' '
}

if [ -f "$driver" ]; then
  folder=$prefix/drive_c/windows/system32
  if [ $((16#$(pe_machine "$driver"))) -eq $((16#14c)) ]; then
    folder=$prefix/drive_c/windows/syswow64
    if [ ! -d "$folder" ]; then
      # Made before 32-bit Wine was installed: the update adds the 32-bit system.
      echo "Adding the 32-bit system to $prefix"
      wineboot -u 2>/dev/null
      wineserver -w
    fi
  fi
  cmp -s "$driver" "$folder/winevmidi.drv" || cp "$driver" "$folder/winevmidi.drv"
else
  echo "wine-prefix.sh: no $driver yet; the prefix has no virtual MIDI unit" >&2
fi
