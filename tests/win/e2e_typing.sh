#!/usr/bin/env bash
# Starts Tallyra.exe under Wine, types a formula with real X key events, presses Enter and
# reads the result box from outside. A Japanese character typed in between must be discarded.
# Arguments: Tallyra.exe, tallyra-probe.exe. Needs DISPLAY and WINEPREFIX (scripts/test).
set -euo pipefail
tallyra=$1 probe=$2
. "$(dirname "$0")/e2e_common.sh"

start_tallyra
sleep 1
focus_tallyra
xdotool type --delay 80 '1+2*'
xdotool type --delay 80 'あ'
xdotool type --delay 80 '3'
xdotool key Return
sleep 1
expect_text '1+2*3' 7 "typed with a Japanese character between"
wine "$probe" close || true
wait || true
