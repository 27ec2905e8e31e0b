#!/usr/bin/env bash
# The number display with real X key events: 表示 › 数値の表示 › 3桁ごと groups the result box
# and the live result, the choice lasts into the next run, and a copied result pasted into the
# formula box gives the same value again. Arguments: Tallyra.exe, tallyra-probe.exe. Needs
# DISPLAY and WINEPREFIX (scripts/test).
set -euo pipefail
tallyra=$1 probe=$2
. "$(dirname "$0")/e2e_common.sh"

type_formula() { xdotool key --delay 120 alt+t End shift+Home BackSpace; xdotool type --delay 100 "$1"; sleep 0.5; }

wine reg delete "$company" /f >/dev/null 2>&1 || true
start_tallyra
sleep 1
focus_tallyra

xdotool key --delay 300 alt+v n 3
sleep 0.5
wine reg query "$key" /v NumberGrouping | tr -d '\r' | grep -q 'REG_DWORD[[:space:]]*0x1$' ||
  fail "NumberGrouping not stored"
type_formula 1234567
[ "$(probe preview)" = 1,234,567 ] || fail "preview of 1234567: '$(probe preview)'"
xdotool key Return
sleep 1
expect_text 1234567 1,234,567 "after Enter"
[ "$(probe preview)" = 1,234,567 ] || fail "preview after Enter: '$(probe preview)'"

# 結果をコピー, the formula box emptied, 貼り付け, Enter.
xdotool key --delay 300 alt+e a
type_formula ''
xdotool key --delay 300 alt+e p
sleep 0.5
xdotool key Return
sleep 1
expect_text 1234567 1,234,567 "the copy pasted and calculated"

wine "$probe" close || true
wait || true

# The next run shows numbers grouped from the start.
start_tallyra
sleep 1
focus_tallyra
type_formula 7654321
[ "$(probe preview)" = 7,654,321 ] || fail "preview after a restart: '$(probe preview)'"
xdotool key Return
sleep 1
expect_text 7654321 7,654,321 "after a restart"

wine "$probe" close || true
wait || true
echo "number display: ok"
