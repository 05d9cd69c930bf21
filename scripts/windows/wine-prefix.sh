#!/usr/bin/env bash
# Makes the Wine prefix of scripts/windows/wine-env.sh once: Wine's own
# start-up (about 10 s); Tahoma in C:\windows\Fonts, where Windows keeps it
# (Debian's Wine ships the font, fonts-wine, in a folder its font loader does
# not read: "Tahoma" and "MS Shell Dlg" fell back to a serif face), the
# regular face only (fonts-wine's bold face has regular strokes; without it
# Windows' font engine emboldens the regular one); and
# QT_FORCE_STDERR_LOGGING=1 in the user's environment: a program started from
# a Linux shell has no Windows console, so Qt, Qt Test's output included,
# would write to the debugger only. (Wine passes no QT_* variable from Linux.)
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
QUORIN_WIN_KIT="${QUORIN_WIN_KIT:-unused}" source "$here/scripts/windows/wine-env.sh"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wineserver -w
fi
wine reg add 'HKCU\Environment' /v QT_FORCE_STDERR_LOGGING /t REG_SZ /d 1 /f >/dev/null 2>&1
cp -u /usr/share/wine/fonts/tahoma.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
