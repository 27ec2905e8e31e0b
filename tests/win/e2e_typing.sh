#!/usr/bin/env bash
# Starts Tallyra.exe under Wine, types a formula with real X key events, presses Enter and
# reads the result box from outside. A Japanese character typed in between must be discarded.
# Arguments: Tallyra.exe, tallyra-probe.exe. Needs DISPLAY and WINEPREFIX (scripts/test).
set -euo pipefail
tallyra=$1 probe=$2

wine "$tallyra" &
wine "$probe" wait 30
sleep 1
# The virtual desktop's X window takes the keyboard; inside it the program has the focus.
window=$(xdotool search --name 'Tallyra' | head -n 1)
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 0.5
xdotool type --delay 80 '1+2*'
xdotool type --delay 80 'あ'
xdotool type --delay 80 '3'
xdotool key Return
sleep 1
output=$(wine "$probe" text | tr -d '\r')
wine "$probe" close || true
wait || true
echo "$output"
expected=$'formula=1+2*3\nresult=7'
if [ "$output" != "$expected" ]; then
  echo "expected:" >&2
  echo "$expected" >&2
  exit 1
fi
