#!/usr/bin/env bash
# The results panel worked with real X key events: shown from the View menu, a result put back
# into the formula box by Alt+R, Up and Enter, the lines back after a restart, a line deleted
# for good, a formula taken back by Shift+Enter, and an error line that inserts nothing. Arguments: Tallyra.exe, tallyra-probe.exe. Needs DISPLAY and WINEPREFIX.
set -euo pipefail
tallyra=$1 probe=$2
. "$(dirname "$0")/e2e_common.sh"

keys() { xdotool key --delay 120 "$@"; sleep 0.4; }
type_text() { xdotool type --delay 100 "$1"; sleep 0.3; }
expect_results() {
  local got
  got=$(probe results)
  [ "$got" = "$1" ] || fail "$2: lines '${got//$'\n'/, }'"
}

wine reg delete "$company" /f >/dev/null 2>&1 || true
wine reg add "$key" /v SaveFormation /t REG_DWORD /d 0xffffffff /f >/dev/null

start_tallyra
sleep 1
focus_tallyra
keys alt+v r
[ "$(wine reg query "$key" /v ResultList | tr -d '\r' | awk '/ResultList/ {print $3}')" = 0xffffffff ] ||
  fail "the panel's setting"
type_text '6*7'
keys Return
keys alt+t End shift+Home
type_text '1+1'
keys Return
# Right after Enter, the insert takes the place of the formula just calculated.
keys alt+r Up Return
expect_text 42 2 "Alt+R, Up, Enter"
[ "$(probe selection)" = "2 2" ] || fail "the caret is not after the insert"
type_text '*2'
keys Return
expect_text '42*2' 84 "the inserted result calculated"
wine "$probe" close
wait "$program" || true

start_tallyra
sleep 1
expect_results $'6*7 = 42\n1+1 = 2\n42*2 = 84' "after a restart"
focus_tallyra
keys alt+r Up Delete
expect_results $'6*7 = 42\n42*2 = 84' "Delete"
wine taskkill /f /im Tallyra.exe >/dev/null 2>&1 || kill -9 $program
wait $program 2>/dev/null || true

start_tallyra
sleep 1
expect_results $'6*7 = 42\n42*2 = 84' "the deletion after a kill and a restart"

# Shift+Enter takes a line's formula; what is typed after it stays, and Enter in the list puts
# the newest result at the caret; a line of an error inserts nothing.
focus_tallyra
keys alt+r Up shift+Return
expect_text '6*7' '' "Shift+Enter"
type_text '+'
keys alt+r Return
expect_text '6*7+84' '' "the insert at the caret"
[ "$(probe selection)" = "6 6" ] || fail "the caret is not after the insert"
keys Return alt+t End shift+Home
type_text '1/0'
keys Return alt+r Return
expect_text '1/0' '0 で除算しました。' "an error line"
expect_results $'6*7 = 42\n42*2 = 84\n6*7+84 = 126\n1/0 = 0 で除算しました。' "two more lines"
wine "$probe" close
wait "$program" || true
echo "results panel keys passed"
