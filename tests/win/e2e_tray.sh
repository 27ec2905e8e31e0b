#!/usr/bin/env bash
# The tray menu with the keyboard: Tallyra starts hidden in tray mode, the icon's right click
# opens its menu, real X key events pick "元のサイズに戻す(&R)", and the keys typed next reach
# the formula box of the restored window.
# Arguments: Tallyra.exe, tallyra-probe.exe. Needs DISPLAY and WINEPREFIX (scripts/test).
set -euo pipefail
tallyra=$1 probe=$2
key='HKCU\Software\Quessel Works\Tallyra'

fail() { echo "FAILED: $*" >&2; wine "$probe" close >/dev/null 2>&1 || true; exit 1; }

wine reg delete "$key" /f >/dev/null 2>&1 || true
for value in TaskTray Minimized; do
  wine reg add "$key" /v $value /t REG_DWORD /d 0xffffffff /f >/dev/null
done
wine "$tallyra" & first=$!
# The hidden window exists once the icon's receiver does.
for _ in $(seq 60); do
  wine "$probe" tray 0 2>/dev/null && break
  sleep 0.5
done
sleep 1
[ "$(wine "$probe" state | tr -d '\r')" = hidden ] || fail "a minimised start shows the window"
# Every window of the virtual desktop lives inside its X window, which takes the keyboard.
desktop=$(xdotool search --name 'Wine desktop' | head -n 1)
xdotool windowfocus "$desktop" 2>/dev/null || true
wine "$probe" tray 517 || fail "no tray icon receiver"
sleep 1
xdotool key r
sleep 1
[ "$(wine "$probe" foreground | tr -d '\r')" = "Tallyra" ] || fail "the window is not in front"
xdotool type --delay 80 '6*7'
xdotool key Return
sleep 1
output=$(wine "$probe" text | tr -d '\r')
echo "$output"
wine "$probe" close || true
wait $first || true
wine reg delete "$key" /f >/dev/null 2>&1 || true
[ "$output" = $'formula=6*7\nresult=42' ] || fail "the keys did not reach the formula box"
echo "tray keyboard checks passed"
