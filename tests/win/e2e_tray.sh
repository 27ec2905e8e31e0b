#!/usr/bin/env bash
# The tray menu with the keyboard: Tallyra starts hidden in tray mode, the icon's right click
# opens its menu, real X key events pick "元のサイズに戻す(&R)", and the keys typed next reach
# the formula box of the restored window.
# Arguments: Tallyra.exe, tallyra-probe.exe. Needs DISPLAY and WINEPREFIX (scripts/test).
set -euo pipefail
tallyra=$1 probe=$2
. "$(dirname "$0")/e2e_common.sh"

wine reg delete "$key" /f >/dev/null 2>&1 || true
trap 'wine reg delete "$key" /f >/dev/null 2>&1 || true' EXIT  # later scripts start untouched
for value in TaskTray Minimized; do
  wine reg add "$key" /v $value /t REG_DWORD /d 0xffffffff /f >/dev/null
done
wine "$tallyra" & program=$!
# The hidden window exists once the icon's receiver does.
for _ in $(seq 60); do
  wine "$probe" tray 0 2>/dev/null && break
  sleep 0.5
done
sleep 1
[ "$(probe state)" = hidden ] || fail "a minimised start shows the window"
# Every window of the virtual desktop lives inside its X window, which takes the keyboard.
desktop=$(xdotool search --name 'Wine desktop' | head -n 1)
xdotool windowfocus "$desktop" 2>/dev/null || true
wine "$probe" tray 517 || fail "no tray icon receiver"
sleep 1
xdotool key r
sleep 1
[ "$(probe foreground)" = "Tallyra" ] || fail "the window is not in front"
xdotool type --delay 80 '6*7'
xdotool key Return
sleep 1
expect_text '6*7' 42 "the keys did not reach the formula box"
wine "$probe" close || true
wait $program || true
echo "tray keyboard checks passed"
