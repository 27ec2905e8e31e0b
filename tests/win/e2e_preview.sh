#!/usr/bin/env bash
# The live result and the error's place, with real X key events: a typed formula shows its
# value left of the Calculate button before Enter, a previewed assignment changes nothing, and
# a failing formula selects where it fails. Arguments: Tallyra.exe, tallyra-probe.exe. Needs
# DISPLAY and WINEPREFIX (scripts/test).
set -euo pipefail
tallyra=$1 probe=$2

fail() { echo "FAILED: $*" >&2; wine "$probe" close || true; exit 1; }
probe() { wine "$probe" "$@" | tr -d '\r'; }
replace_formula() { xdotool key --delay 120 alt+t End shift+Home; xdotool type --delay 100 "$1"; sleep 0.5; }

wine reg delete 'HKCU\Software\Quessel Works' /f >/dev/null 2>&1 || true
wine "$tallyra" &
wine "$probe" wait 30 || fail "no window"
sleep 1
window=$(xdotool search --name 'Tallyra' | head -n 1)
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 0.5

xdotool type --delay 100 '1+2*3'
sleep 0.5
[ "$(probe preview)" = 7 ] || fail "preview of 1+2*3: '$(probe preview)'"
[ "$(probe text)" = $'formula=1+2*3\nresult=' ] || fail "before Enter: '$(probe text)'"

replace_formula 'a=5'
[ "$(probe preview)" = 5 ] || fail "preview of a=5: '$(probe preview)'"
[ "$(probe values | head -n 1)" = 0 ] || fail "a after the preview: '$(probe values | head -n 1)'"

replace_formula '1+*2'
xdotool key Return
sleep 1
[ "$(probe selection)" = '2 3' ] || fail "selection after 1+*2: '$(probe selection)'"
[ "$(probe text)" = $'formula=1+*2\nresult=文法が違います。' ] || fail "after Enter: '$(probe text)'"

wine "$probe" close || true
wait || true
echo "preview and error place: ok"
