#!/usr/bin/env bash
# The live result and the error's place, with real X key events: a typed formula shows its
# value left of the Calculate button before Enter, a previewed assignment changes nothing, an
# unfinished formula shows nothing, and a failing formula selects where it fails. Arguments:
# Tallyra.exe, tallyra-probe.exe. Needs DISPLAY and WINEPREFIX (scripts/test).
set -euo pipefail
tallyra=$1 probe=$2
. "$(dirname "$0")/e2e_common.sh"

replace_formula() { xdotool key --delay 120 alt+t End shift+Home; xdotool type --delay 100 "$1"; sleep 0.5; }

wine reg delete "$company" /f >/dev/null 2>&1 || true
start_tallyra
sleep 1
focus_tallyra

xdotool type --delay 100 '1+2*3'
sleep 0.5
[ "$(probe preview)" = 7 ] || fail "preview of 1+2*3: '$(probe preview)'"
expect_text '1+2*3' '' "before Enter"

replace_formula 'a=5'
[ "$(probe preview)" = 5 ] || fail "preview of a=5: '$(probe preview)'"
[ "$(probe values | head -n 1)" = 0 ] || fail "a after the preview: '$(probe values | head -n 1)'"

# Half typed: nothing yet.
replace_formula 'sqr('
[ -z "$(probe preview)" ] || fail "preview of sqr(: '$(probe preview)'"

replace_formula '1+*2'
xdotool key Return
sleep 1
[ "$(probe selection)" = '2 3' ] || fail "selection after 1+*2: '$(probe selection)'"
expect_text '1+*2' '文法が違います。' "after Enter"

wine "$probe" close || true
wait || true
echo "preview and error place: ok"
