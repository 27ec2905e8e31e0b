#!/usr/bin/env bash
# The theme from the View menu with real X key events: 表示 › テーマ › ダーク and ライト are
# kept at once, and a new start comes back with the theme chosen. Arguments: Tallyra.exe,
# tallyra-probe.exe. Needs DISPLAY and WINEPREFIX (scripts/test).
set -euo pipefail
tallyra=$1 probe=$2
. "$(dirname "$0")/e2e_common.sh"

stored() { wine reg query "$key" /v Theme 2>/dev/null | tr -d '\r' | grep -o '0x[0-9a-f]*' || true; }
choose() { xdotool key --delay 200 alt+v m "$1"; sleep 1; }

wine reg delete "$company" /f >/dev/null 2>&1 || true
start_tallyra
sleep 1
focus_tallyra
[ -z "$(stored)" ] || fail "a theme stored before any was chosen: $(stored)"
choose d
[ "$(stored)" = 0x2 ] || fail "after ダーク: '$(stored)'"
choose l
[ "$(stored)" = 0x1 ] || fail "after ライト: '$(stored)'"
choose d
wine "$probe" close
wait "$program" || true

start_tallyra
sleep 1
focus_tallyra
choose w
[ "$(stored)" = 0x0 ] || fail "after Windowsに合わせる: '$(stored)'"
wine "$probe" close || true
wait || true
echo "theme menu: ok"
