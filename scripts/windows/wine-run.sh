#!/usr/bin/env bash
# Runs a Windows program under Wine with the kit's DLLs on its path; CTest's
# emulator for the Windows build's tests.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
[ -n "${QUORIN_WIN_KIT:-}" ] || source "$here/scripts/windows/kit-name.sh"
source "$here/scripts/windows/wine-env.sh"
exec wine "$@"
